#pragma once

#include <string>

// The three games of the main menu, as numbered in a GameSetup's mode.
namespace GameMode {
enum Value : int {
  Practice = 0,
  Versus = 1,  // two players
  Survival = 2,
};
}

// What the game itself needs to know about a game's layout. The presentation library
// derives the full screen layout from it.
struct GameSetup {
  int columnCount = 7;
  int rowCount = 13;
  std::string musicName;
  int mode = GameMode::Practice;
  int playerCount = 1;

  // One of GameMode.
  explicit GameSetup(int mode);
  virtual ~GameSetup() = default;
};
