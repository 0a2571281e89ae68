#include "SystemSetup.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>

#include "LostDisplay.h"
#include "PowerSaving.h"
#include "Version.h"

const char* const PigmoraVersion = PIGMORA_VERSION;

int InitSystem() {
  std::printf("Initializing SDL.\n");
  if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO | SDL_INIT_JOYSTICK) == -1) {
    std::printf("Could not initialize SDL: %s.\n", SDL_GetError());
    return -1;
  }
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
