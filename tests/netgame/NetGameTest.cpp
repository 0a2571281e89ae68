// Whole Versus games between computer players on two sessions over a simulated link, and
// the network game stepped again after every tick as a rollback would (the recordings get
// the same treatment in the rules' own sync test).
#include <gtest/gtest.h>

#include <map>

#include "HeadlessGame.h"
#include "NetGame.h"
#include "Replay.h"
#include "SimMatch.h"
#include "SyncTest.h"

namespace {

// The real adapter, watched: each tick's digest as last stepped and once confirmed, and the
// ticks whose sounds were reported.
class WatchedGame : public NetGame {
public:
  bool step(uint32_t tick, const TickInputs& inputs, bool firstTime) override {
    size_t heard = sounds.size();
    bool over = NetGame::step(tick, inputs, firstTime);
    stepped[tick] = digest();
    if (sounds.size() != heard) reports.push_back(tick);
    return over;
  }
  void confirmed(uint32_t tick, const TickInputs&) override {
    confirmedDigests[tick] = stepped.at(tick);
  }
  std::map<uint32_t, uint64_t> stepped;
  std::map<uint32_t, uint64_t> confirmedDigests;
  std::vector<uint32_t> reports;  // one entry per step that reported sounds
};

struct Condition {
  const char* name;
  LinkConditions link;
};
// latency one way, jitter, loss %, duplicated %, reordered %, start
const Condition Conditions[] = {
    {"perfect", {0, 0, 0, 0, 0, 1}},
    {"50 ms round trip", {25, 5, 1, 1, 1, 2}},
    {"150 ms round trip, jitter, 2% loss", {75, 20, 2, 1, 2, 3}},
    {"250 ms round trip, 10% loss", {125, 20, 10, 3, 5, 4}},
};

TEST(NetGame, ComputerPlayersPlayTheSameVersusGameOnBothSides) {
  uint32_t start = 0;
  for (const Condition& condition : Conditions) {
    SCOPED_TRACE(condition.name);
    start += 1;
    WatchedGame games[2];
    ComputerInput players[2] = {{0, 3, start * 2}, {1, 4, start * 2 + 1}};
    SimMatchOptions options;
    options.link = condition.link;
    options.commandLimit = NetGame::CommandLimit;
    GameSetup setup = HeadlessGame::setupFor(GameMode::Versus, 1000 + start);
    options.setup = NetGame::setupBytes(setup);
    SimMatchResult result = runSimMatch(
        games[0], games[1], [&](int side) { return players[side].next(games[side].game); },
        options);

    ASSERT_TRUE(result.done) << "the sessions did not finish";
    for (int side = 0; side < 2; ++side) {
      SCOPED_TRACE(side);
      EXPECT_EQ(findEvent(result.events[side], SessionEventType::Desync), nullptr);
      const SessionEvent* ended = findEvent(result.events[side], SessionEventType::Ended);
      ASSERT_NE(ended, nullptr);
      EXPECT_EQ(ended->reason, EndReason::GameOver);
      EXPECT_EQ(games[side].game.state, Over);
      for (size_t i = 1; i < games[side].reports.size(); ++i)
        ASSERT_LT(games[side].reports[i - 1], games[side].reports[i])
            << "sounds of a tick reported again";
    }
    EXPECT_EQ(endLines(games[0].game), endLines(games[1].game));
    EXPECT_TRUE(games[0].game == games[1].game);
    ASSERT_EQ(games[0].confirmedDigests, games[1].confirmedDigests);
    EXPECT_GT(games[0].confirmedDigests.size(), 1000u) << "a whole game, not a start";
  }
}

// Ticks back each tick of a computer-played game is stepped again from: deep, as a session
// on a slow link rolls back.
constexpr int ComputerRollback = 8;

TEST(NetGame, AComputerPlayedGameStepsAgainAlikeAfterEveryRollback) {
  NetGame game;
  std::vector<uint8_t> setup = NetGame::setupBytes(HeadlessGame::setupFor(GameMode::Versus, 77));
  ASSERT_TRUE(game.begin(setup.data(), setup.size()));
  ComputerInput players[2] = {{0, 5, 1}, {1, 2, 2}};
  SyncTestResult result = syncTest(game, ComputerRollback, 100000, [&](uint32_t) {
    TickInputs inputs;
    for (int side = 0; side < 2; ++side) inputs.side[side] = players[side].next(game.game);
    return inputs;
  });
  EXPECT_EQ(result.firstMismatch, -1);
  EXPECT_EQ(game.game.state, Over);
}

TEST(NetGame, OnlyAVersusSetupMakesAGame) {
  GameSetup versus = HeadlessGame::setupFor(GameMode::Versus, 5);
  std::vector<uint8_t> bytes = NetGame::setupBytes(versus);
  NetGame game;
  EXPECT_TRUE(game.begin(bytes.data(), bytes.size()));
  EXPECT_TRUE(game.game.setup.rowSeeds[1] == versus.rowSeeds[1]);

  std::vector<uint8_t> practice = NetGame::setupBytes(GameSetup(GameMode::Practice));
  std::vector<uint8_t> shortened(bytes.begin(), bytes.end() - 1);
  GameSetup huge = versus;
  huge.rowCount = 1000;
  std::vector<uint8_t> hugeBytes = NetGame::setupBytes(huge);
  for (const std::vector<uint8_t>* bad : {&practice, &shortened, &hugeBytes})
    EXPECT_FALSE(game.begin(bad->data(), bad->size()));
}

}  // namespace
