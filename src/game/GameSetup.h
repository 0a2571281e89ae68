#pragma once

#include <string>

// What the game itself needs to know about a game's layout. The presentation library
// derives the full screen layout from it.
struct GameSetup {
  int columnCount = 7;
  int rowCount = 13;
  std::string musicName;
  int mode = 0;
  int playerCount = 1;

  // Mode 0 is Practice, 1 two-player Versus, 2 Survival.
  explicit GameSetup(int mode);
  virtual ~GameSetup() = default;
};
