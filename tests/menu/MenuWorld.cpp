#include "MenuWorld.h"

#include <gtest/gtest.h>
#include <atomic>
#include <filesystem>

#include "Display.h"
#include "MenuItem.h"

namespace {
std::atomic<bool> watchdogFired{false};

Uint32 closeEverything(Uint32 interval, void*) {
  watchdogFired = true;
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
  return interval;
}
}  // namespace

MenuWorld::MenuWorld(bool withDisplay) {
  for (const char* data : {"Sprites", "Font", "Backgrounds", "Sounds"})
    std::filesystem::create_directory_symlink(std::string(PIGMORA_DATA_DIR) + "/" + data, data);
  SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_JOYSTICK);
  if (withDisplay) {
    theDisplay = new Display();
    theDisplay->splashTime = 0;
    theDisplay->loadGraphics();
    ownsDisplay = true;
  }
  watchdogFired = false;
  // Only for a script gone wrong: a busy machine may take its time over a right one.
  watchdog = SDL_AddTimer(120000, closeEverything, nullptr);
}

MenuWorld::~MenuWorld() {
  SDL_RemoveTimer(watchdog);
  EXPECT_FALSE(watchdogFired) << "the menus did not close by themselves";
  if (ownsDisplay) {
    delete theDisplay;
    theDisplay = nullptr;
  }
  SDL_Quit();
  settings = savedSettings;
}

Point middleOf(const MenuItem& item) {
  return {item.x + item.width / 2, item.y + item.height / 2};
}
