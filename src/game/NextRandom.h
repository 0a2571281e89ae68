#pragma once

#include <cstdint>
#include <cstdlib>

// One step of a generator whose whole state is one number: the C library's generator is
// restarted from the state and its first output becomes the next state. Each board's rows
// and each bank's picks keep their own state, so neither disturbs the other.
inline int nextRandom(uint32_t& state) {
  srand(state);
  int r = rand();
  state = static_cast<uint32_t>(r);
  return r;
}
