#pragma once

#include <cstdint>

// Positions and progress values on a board are 16.16 fixed point, so that frame-time
// arithmetic never drifts; speeds are per millisecond in the same units.
typedef int32_t fixed_t;
constexpr fixed_t FixedOne = 65536;
