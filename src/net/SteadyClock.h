#pragma once

#include <chrono>
#include <cstdint>

// Milliseconds on a clock that never jumps: what network play times itself by.
inline int64_t steadyNowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
