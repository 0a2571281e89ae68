#include <gtest/gtest.h>

#include "HeadlessGame.h"
#include "Invariants.h"

namespace {
struct Pattern {
  const char* name;
  std::vector<int32_t> lengths;
};

const Pattern patterns[] = {
    {"steady 16 ms", {16}},
    {"uneven 1/16/33 ms", {1, 16, 33}},
    {"slow 33 ms", {33}},
    {"fast 5 ms", {5}},
};

// Plays whole games with automatic players and checks every frame of them.
void playAndCheck(int mode, int games) {
  for (const Pattern& pattern : patterns)
    for (int g = 0; g < games; ++g) {
      uint32_t start = 4000u + static_cast<uint32_t>(g) * 104729u + mode;
      HeadlessGame headless(mode, start, pattern.lengths);
      Invariants invariants;
      headless.onFrame = [&invariants](Game& game) { invariants.check(game); };
      int64_t playedMs = 0;
      headless.play();
      SCOPED_TRACE(std::string(pattern.name) + ", game " + std::to_string(g));
      EXPECT_EQ(invariants.faults, std::vector<std::string>{});
      EXPECT_FALSE(headless.gaveUp) << "the game never ended";
      EXPECT_EQ(headless.game.state, Over);
      int out = 0;
      for (int i = 0; i < headless.setup.playerCount; ++i) {
        const Player& p = headless.game.players[i];
        out += p.alive ? 0 : 1;
        EXPECT_GE(p.score, 0.0);
        EXPECT_EQ(p.chainCount, 0);
        playedMs = std::max<int64_t>(playedMs, p.elapsed);
      }
      EXPECT_GE(out, 1) << "nobody topped out";
      EXPECT_GT(playedMs, 20000) << "suspiciously short game";
    }
}
}  // namespace

TEST(RandomGames, PracticeGamesKeepEveryRuleAndEndByTopOut) {
  playAndCheck(0, 3);
}

TEST(RandomGames, SurvivalGamesKeepEveryRuleAndEndByTopOut) {
  playAndCheck(2, 3);
}

TEST(RandomGames, VersusGamesKeepEveryRuleAndEndWithALoser) {
  playAndCheck(1, 3);
}
