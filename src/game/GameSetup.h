#pragma once

#include <cstdint>

// The three games of the main menu.
namespace GameMode {
enum Value : int32_t {
  Practice = 0,
  Versus = 1,  // two players
  Survival = 2,
};
}

// Where a game is in its life.
enum GameState : int32_t {
  Running = 0,
  Ending = 1,  // fewer players left than began: boards settle, no more commands
  Over = 2,
};

// Everything a game starts from: with the list of (frame length, inputs) it determines the
// whole game. runGame draws its starting values from the clock; replays and the network game carry
// them.
struct GameSetup {
  GameMode::Value mode = GameMode::Practice;
  int32_t playerCount = 1;
  int32_t columnCount = 7;
  int32_t rowCount = 13;
  uint32_t rowSeeds[2] = {0, 0};   // each board's row generator
  uint32_t bankSeeds[2] = {0, 0};  // each power-up bank's choices

  GameSetup() = default;
  // The mode's player count, the usual board, and every generator starting from 0.
  explicit GameSetup(int mode);

  // Both boards take their rows from `rows`, so they see the same colours; both banks
  // choose from `banks`.
  void startFrom(uint32_t rows, uint32_t banks);
  // "1pMusic" or "2pMusic".
  const char* musicName() const;
  bool valid() const;

  template <class V>
  void fields(V& v) {
    v(mode), v(playerCount), v(columnCount), v(rowCount), v(rowSeeds), v(bankSeeds);
  }
};
