#include <gtest/gtest.h>

#include "Invariants.h"

// Whole games of every mode between automatic players at steady, uneven, slow and fast
// frame lengths, every frame of them checked.
TEST(RandomGames, EveryModeKeepsEveryRuleAndEndsByTopOut) {
  const std::vector<int32_t> patterns[] = {{16}, {1, 16, 33}, {33}, {5}};
  for (int mode : {0, 1, 2})
    for (const auto& lengths : patterns)
      for (uint32_t g = 0; g < 3; ++g) {
        HeadlessGame headless(mode, 4000u + g * 104729u + mode, lengths);
        EXPECT_EQ(playChecked(headless, 20000), std::vector<std::string>{})
            << "mode " << mode << ", frames of " << lengths[0] << " ms..., game " << g;
      }
}
