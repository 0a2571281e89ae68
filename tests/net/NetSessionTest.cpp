#include <gtest/gtest.h>

#include "NetSession.h"
#include "SimMatch.h"
#include "SyncTest.h"
#include "ToyGame.h"

namespace {

constexpr uint8_t ToyHealth = 60;  // about twenty seconds of play

SimMatchResult playToy(ToyGame (&games)[2], SimMatchOptions options, uint32_t start) {
  ToyPlayer players[2] = {ToyPlayer(0, start * 2 + 1), ToyPlayer(1, start * 2 + 2)};
  options.commandLimit = ToyGame::ToyCommands;
  if (options.setup.empty()) options.setup = ToyGame::setupBytes(start, ToyHealth);
  return runSimMatch(
      games[0], games[1], [&](int side) { return players[side].next(games[side].state); }, options);
}

// Both sides played the same game to the same end: every tick both confirmed has the same
// digest, both ended where the rules ended it, nobody saw a desync, and no tick's sounds
// were reported twice.
void expectSameGame(const ToyGame (&games)[2], const SimMatchResult& result) {
  ASSERT_TRUE(result.done) << "the sessions did not finish within the time limit";
  const SessionEvent* ends[2];
  for (int side = 0; side < 2; ++side) {
    SCOPED_TRACE(side);
    EXPECT_EQ(findEvent(result.events[side], SessionEventType::Desync), nullptr);
    ends[side] = findEvent(result.events[side], SessionEventType::Ended);
    ASSERT_NE(ends[side], nullptr);
    EXPECT_EQ(ends[side]->reason, EndReason::GameOver);
    EXPECT_EQ(result.stats[side].badPackets, 0u);
    for (const auto& [tick, count] : games[side].soundsReported)
      ASSERT_EQ(count, 1) << "sounds of tick " << tick << " reported again";
  }
  EXPECT_EQ(ends[0]->tick, ends[1]->tick);
  EXPECT_TRUE(games[0].state.over && games[1].state.over);

  const auto& host = games[0].confirmedDigests;
  const auto& guest = games[1].confirmedDigests;
  ASSERT_EQ(host.size(), ends[0]->tick + 1u);
  ASSERT_EQ(guest.size(), host.size());
  for (const auto& [tick, digest] : host) ASSERT_EQ(guest.at(tick), digest) << "tick " << tick;
}

struct Condition {
  const char* name;
  LinkConditions link;
};
// latency one way, jitter, loss %, duplicated %, reordered %, start
const Condition Conditions[] = {
    {"perfect", {0, 0, 0, 0, 0, 1}},
    {"next room", {5, 2, 1, 0, 0, 2}},
    {"50 ms round trip", {25, 5, 1, 1, 1, 3}},
    {"150 ms round trip, jitter, 2% loss", {75, 20, 2, 1, 2, 4}},
    {"250 ms round trip, 10% loss", {125, 20, 10, 3, 5, 5}},
};

TEST(NetSession, BothSidesPlayTheSameGameOverEveryLink) {
  for (const Condition& condition : Conditions) {
    for (uint32_t start : {11u, 12u}) {
      SCOPED_TRACE(condition.name);
      SCOPED_TRACE(start);
      ToyGame games[2];
      SimMatchOptions options;
      options.link = condition.link;
      options.link.randomStart += start;
      SimMatchResult result = playToy(games, options, start);
      expectSameGame(games, result);
      if (condition.link.latencyMs > 20) {
        EXPECT_GT(result.stats[0].rollbacks + result.stats[1].rollbacks, 0u)
            << "a link this slow must make some guesses wrong";
      }
    }
  }
}

TEST(NetSession, InputDelayFollowsTheRoundTrip) {
  const int expected[][2] = {{0, 1},   {40, 1},  {75, 2},  {124, 2}, {150, 3},
                             {174, 3}, {175, 4}, {250, 4}, {2000, 4}};
  for (const auto& [roundTrip, delay] : expected)
    EXPECT_EQ(NetSession::inputDelayFor(roundTrip), delay) << roundTrip << " ms";

  // Measured, not told: 150 ms round trip with jitter.
  ToyGame games[2];
  SimMatchOptions options;
  options.link = {75, 20, 2, 0, 0, 9};
  SimMatchResult result = playToy(games, options, 9);
  for (int side = 0; side < 2; ++side) {
    EXPECT_EQ(result.stats[side].inputDelay, 3) << side;
    EXPECT_NEAR(result.stats[side].roundTripMs, 150, 30) << side;
  }
}

TEST(NetSession, TheSideAheadSlowsUntilTheClocksAgree) {
  // The guest's clock runs 1% fast: without time sync it would be 30 ticks ahead after
  // fifty seconds, twice what it may guess, and wait on every tick.
  ToyGame games[2];
  SimMatchOptions options;
  options.link = {20, 3, 0, 0, 0, 3};
  options.clockPermille[1] = 1010;
  options.setup = ToyGame::setupBytes(5, 250);
  SimMatchResult result = playToy(games, options, 5);
  expectSameGame(games, result);
  ASSERT_GT(result.ticks[1], 3000u) << "too short a game to drift";
  EXPECT_GT(result.stats[1].slowedTicks, 3u * result.stats[0].slowedTicks + 100);
  EXPECT_EQ(result.stats[0].stalls, 0u);
  EXPECT_EQ(result.stats[1].stalls, 0u);
  EXPECT_GE(result.stats[1].agreedAfterMs, 0);
}

TEST(NetSession, AnInterruptionIsReportedAndPlayGoesOn) {
  ToyGame games[2];
  SimMatchOptions options;
  options.link = {30, 5, 0, 0, 0, 4};
  uint32_t mostPredicted = 0;
  options.everyMs = [&](int64_t now, SimLink& link, NetSession* sessions[2]) {
    if (now == 4000) link.setCut(true);
    if (now == 6000) link.setCut(false);
    for (int side = 0; side < 2; ++side)
      mostPredicted =
          std::max(mostPredicted, sessions[side]->tick() - sessions[side]->confirmedTicks());
  };
  SimMatchResult result = playToy(games, options, 4);
  expectSameGame(games, result);
  EXPECT_LE(mostPredicted, static_cast<uint32_t>(MaxPredictedTicks));
  for (int side = 0; side < 2; ++side) {
    SCOPED_TRACE(side);
    std::vector<SessionEventType> seen;
    for (const SessionEvent& event : result.events[side]) seen.push_back(event.type);
    std::vector<SessionEventType> expected = {SessionEventType::Started,
                                              SessionEventType::Interrupted,
                                              SessionEventType::Resumed, SessionEventType::Ended};
    EXPECT_EQ(seen, expected);
    EXPECT_GT(result.stats[side].longestStallMs, 1000);
  }
}

TEST(NetSession, EndingsReachBothSides) {
  struct Case {
    const char* name;
    int64_t cutAt, abandonAt;  // -1: never
    bool guestRefusesSetup;
    EndReason reason;
    int endedBy;         // the side that ended it
    int64_t endsBefore;  // ms
  };
  const Case cases[] = {
      {"host abandons", -1, 3000, false, EndReason::Abandoned, 0, 3100},
      {"link lost", 3000, -1, false, EndReason::Lost, -1, 13100},
      {"guest refuses the setup", -1, -1, true, EndReason::BadSetup, 1, 1000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ToyGame games[2];
    games[1].refuseSetup = c.guestRefusesSetup;
    SimMatchOptions options;
    options.link = {25, 0, 0, 0, 0, 6};
    options.everyMs = [&](int64_t now, SimLink& link, NetSession* sessions[2]) {
      if (now == c.cutAt) link.setCut(true);
      if (now == c.abandonAt) sessions[0]->abandon();
    };
    SimMatchResult result = playToy(games, options, 6);
    ASSERT_TRUE(result.done);
    EXPECT_LT(result.durationMs, c.endsBefore);
    for (int side = 0; side < 2; ++side) {
      SCOPED_TRACE(side);
      const SessionEvent* ended = findEvent(result.events[side], SessionEventType::Ended);
      ASSERT_NE(ended, nullptr);
      EXPECT_EQ(ended->reason, c.reason);
      if (c.endedBy >= 0) {
        EXPECT_EQ(ended->byRemote, side != c.endedBy);
      }
      if (c.reason == EndReason::Lost) {
        EXPECT_NE(findEvent(result.events[side], SessionEventType::Interrupted), nullptr);
        EXPECT_GE(result.durationMs, 3000 + NetSession::LostAfterMs);
      }
    }
  }
}

TEST(NetSession, APeerThatOnlyPingsIsInterruptedThenLost) {
  constexpr int64_t Slack = 200;  // ms: the link's latency and a tick or two
  for (int64_t quietFrom : {int64_t{0}, int64_t{3000}}) {
    SCOPED_TRACE(quietFrom ? "after a start" : "from the first packet");
    ToyGame games[2];
    SimMatchOptions options;
    options.link = {20, 0, 0, 0, 0, 8};
    options.timeLimitMs = 40000;
    // From `quietFrom` on, each side hears nothing of the other but a ping every 100 ms.
    options.everyMs = [&](int64_t now, SimLink& link, NetSession*[]) {
      if (now == quietFrom) link.setCut(true);
      if (now < quietFrom || now % 100 != 0) return;
      NetMessage ping;
      ping.time = static_cast<uint32_t>(now);
      std::vector<uint8_t> bytes;
      encodeMessage(ping, bytes);
      for (int side = 0; side < 2; ++side) link.deliver(side, bytes);
    };
    SimMatchResult result = playToy(games, options, 8);
    ASSERT_TRUE(result.done) << "a side never gave up";
    int64_t limit = quietFrom ? NetSession::LostAfterMs : NetSession::StartLimitMs;
    EXPECT_LE(result.durationMs, quietFrom + limit + Slack);
    for (const auto& events : result.events) {
      EXPECT_EQ(findEvent(events, SessionEventType::Ended)->reason, EndReason::Lost);
      EXPECT_EQ(findEvent(events, SessionEventType::Interrupted) != nullptr, quietFrom > 0);
      EXPECT_EQ(findEvent(events, SessionEventType::Resumed), nullptr) << "pings are no progress";
    }
  }
}

TEST(NetSession, BadPacketsAreDroppedAndCounted) {
  ToyGame games[2];
  SimMatchOptions options;
  options.link = {40, 10, 2, 2, 2, 7};
  int injected = 0;
  options.everyMs = [&](int64_t now, SimLink& link, NetSession*[]) {
    if (now % 97 != 0 || now > 8000) return;
    std::vector<uint8_t> bad;
    switch (injected % 4) {
      case 0:
        bad = {};
        break;
      case 1:
        bad = {NetMarker, NetProtocolVersion, 5, 200, 0, 1, 2, 3};
        break;  // cut short
      case 2:
        bad = {NetMarker, NetProtocolVersion + 1, 1, 4, 0, 0, 0, 0, 0};
        break;
      case 3:
        bad.assign(300, 0xFF);
        break;
    }
    link.deliver(injected % 2, bad);
    injected += 1;
  };
  SimMatchResult result = playToy(games, options, 7);
  ASSERT_GT(injected, 40);
  EXPECT_EQ(result.stats[0].badPackets + result.stats[1].badPackets,
            static_cast<uint32_t>(injected));
  for (int side = 0; side < 2; ++side)
    EXPECT_TRUE(findEvent(result.events[side], SessionEventType::Ended));
  EXPECT_EQ(findEvent(result.events[0], SessionEventType::Desync), nullptr);
  EXPECT_EQ(games[0].confirmedDigests, games[1].confirmedDigests);
}

TEST(NetSession, SyncTestRestepsEveryTickAlike) {
  for (int depth : {1, 2, 7, MaxPredictedTicks}) {
    SCOPED_TRACE(depth);
    ToyGame game;
    std::vector<uint8_t> setup = ToyGame::setupBytes(21, ToyHealth);
    ASSERT_TRUE(game.begin(setup.data(), setup.size()));
    ToyPlayer players[2] = {ToyPlayer(0, 1), ToyPlayer(1, 2)};
    auto inputs = [&](uint32_t) {
      TickInputs both;
      for (int side = 0; side < 2; ++side) both.side[side] = players[side].next(game.state);
      return both;
    };
    SyncTestResult result = syncTest(game, depth, 100000, inputs);
    EXPECT_EQ(result.firstMismatch, -1);
    EXPECT_TRUE(game.state.over);
    EXPECT_GT(result.ticks, 600u);
    for (const auto& [tick, count] : game.soundsReported) ASSERT_EQ(count, 1) << tick;
  }

  // And it finds state a save leaves out.
  ToyGame leaky;
  leaky.forgetRandomOnSave = true;
  std::vector<uint8_t> setup = ToyGame::setupBytes(21, ToyHealth);
  ASSERT_TRUE(leaky.begin(setup.data(), setup.size()));
  auto attacks = [](uint32_t) {
    TickInputs both;
    both.side[0].add(ToyGame::Attack);
    return both;
  };
  EXPECT_EQ(syncTest(leaky, 2, 1000, attacks).firstMismatch, 0);
}

TEST(SimLink, MistreatsUnreliablePacketsOnlyAndKeepsReliableOnesInOrder) {
  SimLink link({30, 10, 10, 10, 10, 99});
  constexpr int Sent = 2000;
  for (int i = 0; i < Sent; ++i) {
    link.setTime(i);
    uint8_t bytes[2] = {static_cast<uint8_t>(i), static_cast<uint8_t>(i >> 8)};
    link.end(0).send(i % 2 ? Channel::Reliable : Channel::Unreliable, bytes, 2);
  }
  link.setTime(Sent + 1000);
  std::vector<uint8_t> packet;
  int unreliable = 0, reliable = 0, outOfOrder = 0, lastReliable = -1, lastUnreliable = -1;
  while (link.end(1).receive(packet)) {
    int i = packet[0] | packet[1] << 8;
    if (i % 2) {
      EXPECT_GT(i, lastReliable) << "reliable packets in order, once each";
      lastReliable = i;
      reliable += 1;
    } else {
      outOfOrder += i < lastUnreliable;
      lastUnreliable = std::max(lastUnreliable, i);
      unreliable += 1;
    }
  }
  EXPECT_FALSE(link.end(0).receive(packet)) << "nothing comes back";
  EXPECT_EQ(reliable, Sent / 2);
  // 10% lost, 10% of the rest doubled: about 990 of 1000.
  EXPECT_NEAR(unreliable, 990, 40);
  EXPECT_GT(outOfOrder, 20);
  EXPECT_EQ(link.sent(0).packets, static_cast<uint64_t>(Sent));
}

}  // namespace
