#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

// A whole game as it reached the bus, kept as text: the mode, the clock's first reading
// (which starts both boards' row generators), the power-up banks' random states, the
// clock's steps (used in turn, repeating) and every player command with the pass of the
// main loop it arrived in. A replay plays it through the real Game with nobody at the
// keys, so retuning the automatic players never changes a recorded game.
// The letters of the commands in a recording, by command: Left Right Drop Grab PullDown PowerUp.
const std::string RecordedCommandLetters = "LRDGPU";

struct Recording {
  struct Press {
    int64_t pass;
    int player;
    int command;
  };
  int mode = 0;
  uint32_t start = 0;
  uint32_t banks[2] = {0, 0};
  std::vector<int32_t> lengths;
  std::vector<Press> presses;

  // Plays it again; returns its end, one line per player: score, time played, longest
  // chain, pieces reacted, level | pieces by colour | digest of the final board.
  std::string replay() const;
  bool read(std::istream& in);
};
