#include <gtest/gtest.h>

#include "HeadlessGame.h"
#include "Invariants.h"

// Whole games of every mode between automatic players at steady, uneven, slow and fast
// frame lengths, every frame of them checked.
TEST(RandomGames, EveryModeKeepsEveryRuleAndEndsByTopOut) {
  const std::vector<int32_t> patterns[] = {{16}, {1, 16, 33}, {33}, {5}};
  for (int mode : {0, 1, 2})
    for (const auto& lengths : patterns)
      for (uint32_t g = 0; g < 3; ++g) {
        HeadlessGame headless(mode, 4000u + g * 104729u + mode, lengths);
        SCOPED_TRACE("mode " + std::to_string(mode) + ", frames of " + std::to_string(lengths[0]) +
                     " ms..., game " + std::to_string(g));
        EXPECT_EQ(playChecked(headless), std::vector<std::string>{});
        EXPECT_EQ(headless.game.state, Over);
        int out = 0, playedMs = 0;
        for (int i = 0; i < headless.setup.playerCount; ++i) {
          const Player& p = headless.game.players[i];
          out += p.alive ? 0 : 1;
          EXPECT_GE(p.score, 0.0);
          EXPECT_EQ(p.chainCount, 0);
          playedMs = std::max(playedMs, p.elapsed);
        }
        EXPECT_GE(out, 1) << "nobody topped out";
        EXPECT_GT(playedMs, 20000) << "suspiciously short game";
      }
}
