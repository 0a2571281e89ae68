#include "ComputerLevel.h"

#include <algorithm>

namespace {
// One row per level, 1 to 5.
const ComputerLevel levels[ComputerLevelCount] = {
    // reaction  key gap  sources  gathers  second looks  misjudge %  noise
    {1000, 280, 3, false, 0, 30, 2.5},  // 1
    {700, 190, 6, false, 0, 16, 1.2},   // 2
    {450, 140, 7, false, 0, 8, 0.6},    // 3
    {350, 120, 7, true, 1, 6, 0.5},     // 4
    {150, 75, 7, true, 4, 1, 0.1},      // 5
};
}  // namespace

const ComputerLevel& computerLevel(int level) {
  return levels[std::clamp(level, 1, ComputerLevelCount) - 1];
}
