#pragma once

#include <cstdint>

#include "Command.h"

// One thing from outside a game: a player's command, or one of the two game controls
// (Command::Pause, Command::AbortGame, which always carry player 0).
struct Input {
  int8_t player = 0;
  Command::Value command = Command::Left;

  bool operator==(const Input& other) const {
    return player == other.player && command == other.command;
  }
};

// Everything from outside that belongs to one pass of the game, in the order it came.
// People at the keys, the computer opponent, a replay and the network all fill it.
struct PassInput {
  // Far more than hands can press in one frame; anything beyond is not taken.
  static constexpr int Room = 32;

  int32_t count = 0;
  Input inputs[Room];

  // False (nothing added) when full or when the input is not one a game can take.
  bool add(int player, int command);
  bool empty() const { return count == 0; }
  const Input* begin() const { return inputs; }
  const Input* end() const { return inputs + count; }
  bool operator==(const PassInput& other) const;
};

// The length of a tick of the fixed-step driver: 17, 17, 16 ms in turn, so that every
// three ticks make exactly 50 ms.
int32_t tickLength(uint32_t tick);
// The time from the first tick to the start of the given one.
uint64_t tickStart(uint32_t tick);
