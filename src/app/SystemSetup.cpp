#include "SystemSetup.h"

#include <SDL.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "LostDisplay.h"
#include "PowerSaving.h"
#include "Version.h"

const char* const PigmoraVersion = PIGMORA_VERSION;

namespace {

// SDL falls back on a driver without a screen when no display can be opened; a game
// nobody can see would wait for keys for ever. Unless the player chose that driver
// (the test drivers do), that is a failed start. Returns why, or "" when there is a screen.
std::string screenlessFallback() {
  char driver[32] = "";
  SDL_VideoDriverName(driver, sizeof driver);
  const std::string name = driver;
  if (std::getenv("SDL_VIDEODRIVER") || (name != "offscreen" && name != "dummy")) return "";
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) return "no display to open (DISPLAY is not set)";
  return std::string("cannot open the display \"") + display + "\"";
}

// A closed terminal ends the game the way SIGTERM does (SDL's handler turns that into
// the quit request), so the exit handlers put the screen saver back.
void endLikeSigterm(int) {
  std::raise(SIGTERM);
}

}  // namespace

int InitSystem() {
  std::printf("Initializing SDL.\n");
  if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO | SDL_INIT_JOYSTICK) == -1) {
    std::printf("Could not initialize SDL: %s.\n", SDL_GetError());
    return -1;
  }
  const std::string screenless = screenlessFallback();
  if (!screenless.empty()) {
    std::printf("Could not initialize SDL: %s.\n", screenless.c_str());
    SDL_Quit();
    return -1;
  }
  std::signal(SIGHUP, endLikeSigterm);
  // Past a limit on file size (ulimit -f) a write fails with EFBIG instead of killing the
  // game: the replay and the settings each say in one line that they were not saved.
  std::signal(SIGXFSZ, SIG_IGN);
  int joysticks = SDL_NumJoysticks();
  std::printf("%d joystick%s detected!", joysticks, joysticks == 1 ? "" : "s");
  // The handles stay open for the life of the process; SDL closes them at exit.
  for (int index = joysticks - 1; index >= 0; --index) SDL_JoystickOpen(index);
  SDL_JoystickEventState(SDL_ENABLE);
  SDL_WM_SetCaption("Pigmora", "Pigmora");
  LostDisplay::endPromptlyWhenLost();
  PowerSaving::save();
  PowerSaving::keepAwake();
  std::atexit(RestoreSystem);
  return 0;
}

void RestoreSystem() {
  PowerSaving::restore();
  SDL_Quit();
}
