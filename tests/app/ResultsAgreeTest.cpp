// What a player reads at the end of a network game, what its replay keeps and what
// --check-replay prints are one set of figures, through a lossy link, on both sides.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "HeadlessGame.h"
#include "NetMatch.h"
#include "Replay.h"
#include "ReplayCheck.h"
#include "SimLink.h"
#include "StatusText.h"
#include "TempDir.h"

namespace {
// What --check-replay prints for the replay, saved as a file.
std::string checked(const Replay& replay, int& status) {
  TempDir folder(true);
  folder.write("game.txt", replay.text());
  std::ostringstream out, err;
  status = checkReplay("game.txt", out, err);
  return out.str();
}

}  // namespace

TEST(ResultsAgree, BothSidesOfALossyNetworkGameReadAsTheirReplaysCheck) {
  SimLink link({60, 25, 8, 3, 5, 11});
  std::unique_ptr<NetMatch> sides[2];
  std::unique_ptr<ComputerInput> hands[2];
  for (int side = 0; side < 2; ++side) {
    MatchConfig config;
    config.host = side == 0;
    config.setup = HeadlessGame::setupFor(GameMode::Versus, 808);
    config.program = "9.9";
    sides[side] = std::make_unique<NetMatch>(link.end(side), config, 0);
    hands[side] = std::make_unique<ComputerInput>(side, 4 - side, 30 + side);
    sides[side]->eachTick = [&hands, side](const Game& game) { return hands[side]->next(game); };
  }
  constexpr int64_t LimitMs = 20 * 60 * 1000;
  for (int64_t now = 0; now < LimitMs && !(sides[0]->finished() && sides[1]->finished()); ++now) {
    link.setTime(now);
    for (auto& side : sides)
      if (!side->finished()) side->poll(now, TickInput());
  }
  for (int side = 0; side < 2; ++side) {
    SCOPED_TRACE(side);
    ASSERT_TRUE(sides[side]->finished());
    int status = -1;
    std::string printed = checked(sides[side]->replay(), status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(printed, resultsInWords(sides[side]->game(), -1)) << "the screen reads otherwise";
    EXPECT_NE(printed.find("You win!"), std::string::npos);
  }
}
