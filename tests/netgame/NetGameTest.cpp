// Whole Versus games between computer players on two sessions over a simulated link, and
// the recorded games stepped again tick by tick as a rollback would.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

#include "HeadlessGame.h"
#include "NetGame.h"
#include "Replay.h"
#include "SimMatch.h"
#include "SyncTest.h"

namespace {

// The real adapter, watched: each tick's digest as last stepped and once confirmed, the
// ticks whose sounds were reported, and the confirmed inputs.
class WatchedGame : public NetGame {
public:
  bool step(uint32_t tick, const TickInputs& inputs, bool firstTime) override {
    size_t heard = sounds.size();
    bool over = NetGame::step(tick, inputs, firstTime);
    stepped[tick] = digest();
    if (sounds.size() != heard) reports.push_back(tick);
    return over;
  }
  void confirmed(uint32_t tick, const TickInputs& inputs) override {
    confirmedDigests[tick] = stepped.at(tick);
    confirmedInputs.push_back(inputs);
  }
  std::map<uint32_t, uint64_t> stepped;
  std::map<uint32_t, uint64_t> confirmedDigests;
  std::vector<uint32_t> reports;  // one entry per step that reported sounds
  std::vector<TickInputs> confirmedInputs;
};

struct Condition {
  const char* name;
  LinkConditions link;
};
// latency one way, jitter, loss %, duplicated %, reordered %, seed
const Condition Conditions[] = {
    {"perfect", {0, 0, 0, 0, 0, 1}},
    {"50 ms round trip", {25, 5, 1, 1, 1, 2}},
    {"150 ms round trip, jitter, 2% loss", {75, 20, 2, 1, 2, 3}},
    {"250 ms round trip, 10% loss", {125, 20, 10, 3, 5, 4}},
};

TEST(NetGame, ComputerPlayersPlayTheSameVersusGameOnBothSides) {
  uint32_t seed = 0;
  for (const Condition& condition : Conditions) {
    SCOPED_TRACE(condition.name);
    seed += 1;
    WatchedGame games[2];
    ComputerInput players[2] = {{0, 3, seed * 2}, {1, 4, seed * 2 + 1}};
    SimMatchOptions options;
    options.link = condition.link;
    options.commandLimit = NetGame::CommandLimit;
    GameSetup setup = HeadlessGame::setupFor(GameMode::Versus, 1000 + seed);
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

    // The confirmed inputs are the game: played alone, they end where both sides did.
    Game alone(setup);
    StepEvents events;
    for (uint32_t tick = 0; alone.state != Over; ++tick) {
      ASSERT_LT(tick, games[0].confirmedInputs.size());
      PassInput pass;
      for (int side = 0; side < 2; ++side)
        for (int i = 0; i < games[0].confirmedInputs[tick].side[side].count; ++i)
          pass.add(side, games[0].confirmedInputs[tick].side[side].commands[i]);
      alone.step(tickLength(tick), pass, events);
    }
    EXPECT_TRUE(alone == games[0].game);
  }
}

// A recorded game behind the rollback interface: its own pass lengths and inputs, whatever
// the session would have sent.
class RecordedGame : public RollbackGame {
public:
  explicit RecordedGame(const Replay& replay) : game(replay.setup) {
    size_t cursor = 0;
    for (uint32_t pass = 1; pass <= replay.frames.size(); ++pass)
      passes.push_back(replay.inputsOf(pass, cursor));
    frames = replay.frames;
  }
  bool begin(const uint8_t*, size_t) override { return true; }
  int32_t tickLength(uint32_t tick) const override { return frames[tick]; }
  void save(int slot) override { slots[slot] = game; }
  void load(int slot) override { game = slots[slot]; }
  bool step(uint32_t tick, const TickInputs&, bool) override {
    game.step(frames[tick], passes[tick], events);
    return game.state == Over;
  }
  uint64_t digest() const override { return game.digest(); }

  Game game;
  std::vector<int32_t> frames;

private:
  std::vector<PassInput> passes;
  std::unique_ptr<Game[]> slotsOwner{new Game[StateSlots]};
  Game* slots = slotsOwner.get();
  StepEvents events;
};

// Ticks back each recorded tick is stepped again from: one, as the recordings are long.
constexpr int RecordingRollback = 1;

TEST(NetGame, EveryRecordingStepsAgainAlikeAfterEveryRollback) {
  int recordings = 0;
  for (const auto& entry : std::filesystem::directory_iterator(PIGMORA_RECORDINGS_DIR)) {
    if (entry.path().extension() != ".txt") continue;
    SCOPED_TRACE(entry.path().filename().string());
    Replay replay;
    std::string error;
    std::ifstream text(entry.path());
    ASSERT_TRUE(replay.read(text, error)) << error;
    RecordedGame recorded(replay);
    SyncTestResult result =
        syncTest(recorded, RecordingRollback, static_cast<uint32_t>(replay.frames.size()),
                 [](uint32_t) { return TickInputs(); });
    EXPECT_EQ(result.firstMismatch, -1);
    EXPECT_EQ(result.ticks, replay.frames.size());
    std::string stored;
    for (const std::string& line : replay.endLines) stored += line;
    EXPECT_EQ(endLines(recorded.game), stored);
    ++recordings;
  }
  EXPECT_GE(recordings, 5);
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
