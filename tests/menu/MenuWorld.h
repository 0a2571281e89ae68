#pragma once

#include <SDL.h>

#include "Settings.h"
#include "TempDir.h"

// Everything a menu needs, for real: a working folder reaching the generated art and
// sounds, SDL on its dummy drivers, and the loaded display. A watchdog closes every menu
// should a script go wrong, so a failing test ends instead of hanging.
class MenuWorld {
public:
  explicit MenuWorld(bool withDisplay = true);
  ~MenuWorld();

  TempDir folder{true};
  Settings savedSettings = settings;

private:
  SDL_TimerID watchdog = nullptr;
  bool ownsDisplay = false;
};

// Where an item's line can be hit: the middle of its rectangle as last drawn.
struct Point {
  int x, y;
};
class MenuItem;
Point middleOf(const MenuItem& item);
