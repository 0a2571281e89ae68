#include "ComputerLevel.h"

#include <algorithm>

namespace {
// One row per level, 1 to 5.
const ComputerLevel levels[ComputerLevelCount] = {
    // reaction  key gap  sources  gathers  second looks  misjudge %  noise
    {1100, 300, 3, false, 0, 40, 3.0}, {800, 220, 4, false, 0, 25, 2.0},
    {550, 160, 7, false, 0, 12, 1.0},  {350, 120, 7, true, 1, 6, 0.5},
    {180, 80, 7, true, 3, 2, 0.2},
};
}  // namespace

const ComputerLevel& computerLevel(int level) {
  return levels[std::clamp(level, 1, ComputerLevelCount) - 1];
}
