#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "Error.h"
#include "MainMenu.h"
#include "Settings.h"
#include "SystemSetup.h"

int main(int, char**) {
  std::printf("Welcome to Pigmora version %s\n", PigmoraVersion);
  // Let the flip wait for the display's refresh: the game loop has no sleep of its own
  // and would otherwise spin a whole core. A player's own choice is left alone.
  setenv("SDL12COMPAT_SYNC_TO_VBLANK", "1", 0);
  try {
    if (InitSystem() != 0) return -1;
    settings.loadSettings();
    std::unique_ptr<MainMenu> menu(new MainMenu());
    menu->run();
    settings.saveSettings();
    menu.reset();
    return 0;
  } catch (const Error& error) {
    std::printf("%s", error.message.c_str());
    return 1;
  }
}
