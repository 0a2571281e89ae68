#pragma once

#include <cmath>

// How loud a sample of `size` (its absolute value) comes out of a soft knee: unchanged up
// to `knee`, then bending smoothly towards `ceiling` without ever reaching it. Used where
// a rare peak must not clip and everything below the knee must pass untouched.
inline float softKnee(float size, float knee, float ceiling) {
  if (size <= knee) return size;
  const float room = ceiling - knee;
  return knee + room * std::tanh((size - knee) / room);
}
