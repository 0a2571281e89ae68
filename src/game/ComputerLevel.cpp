#include "ComputerLevel.h"

#include <algorithm>

namespace {
// One row per level, 1 to 5. A person on their first day (the bench's novice) beats
// level 1 about half the time and level 5 hardly ever; `ai-bench --against novice` says
// how often.
const ComputerLevel levels[ComputerLevelCount] = {
    // reaction  key gap  sources  gathers  second looks  misjudge %  noise
    {800, 220, 7, false, 4, 2, 0.2},  // 1
    {600, 180, 7, false, 4, 2, 0.2},  // 2
    {500, 160, 7, true, 4, 3, 0.2},   // 3
    {340, 115, 7, true, 4, 3, 0.2},   // 4
    {150, 75, 7, true, 4, 1, 0.1},    // 5
};
}  // namespace

const ComputerLevel& computerLevel(int level) {
  return levels[std::clamp(level, 1, ComputerLevelCount) - 1];
}
