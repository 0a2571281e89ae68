#pragma once

#include <cstdint>

// What one player pressed in one tick: a few command codes, in the order pressed. The
// session neither knows nor cares what the codes mean; the game behind it does.
struct TickInput {
  // More than a player can press in one 17 ms tick; the rest of a burst waits a tick.
  static constexpr int Capacity = 4;

  uint8_t count = 0;
  uint8_t commands[Capacity] = {};

  // False when the tick is full.
  bool add(uint8_t command) {
    if (count >= Capacity) return false;
    commands[count++] = command;
    return true;
  }
  bool empty() const { return count == 0; }
  bool operator==(const TickInput& other) const {
    if (count != other.count) return false;
    for (int i = 0; i < count; ++i)
      if (commands[i] != other.commands[i]) return false;
    return true;
  }
  bool operator!=(const TickInput& other) const { return !(*this == other); }
};

// Both players' inputs for one tick, indexed by side (0 the host, 1 the guest).
struct TickInputs {
  TickInput side[2];
};
