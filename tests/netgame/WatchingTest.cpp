// Watchers of a network match as the host serves them: two computers play over a simulated
// link, the host's feed serves watchers over simulated links of their own, and every watcher
// must step the very game both players agreed on, tick by tick, and keep the same replay.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>

#include "HeadlessGame.h"
#include "NetMessage.h"
#include "SimLink.h"
#include "Watching.h"

namespace {

constexpr int64_t GameLimitMs = 15 * 60 * 1000;

struct Seat {
  explicit Seat(const LinkConditions& conditions) : link(conditions), watcher(link.end(1), "9.9") {}
  SimLink link;
  Watcher watcher;
  bool reading = true;
  std::vector<std::vector<uint64_t>> digests;  // each game's, tick by tick
  std::vector<WatchEvent> events;
  std::vector<std::string> replays;
  bool has(WatchEvent::Type type) const {
    for (const WatchEvent& event : events)
      if (event.type == type) return true;
    return false;
  }
};

// Two players (host and guest, the computer at both keys) and the host's watchers, one game
// after another over fresh links, as a rematch would be.
struct Stage {
  explicit Stage(int delaySeconds = 0) : feed(delaySeconds) {}

  void startGame(uint32_t start) {
    players = std::make_unique<SimLink>(LinkConditions{30, 5, 2, 0, 1, start});
    for (int side = 0; side < 2; ++side) {
      MatchConfig config;
      config.host = side == 0;
      config.setup = HeadlessGame::setupFor(GameMode::Versus, 500 + start);
      config.program = "9.9";
      matches[side] = std::make_unique<NetMatch>(players->end(side), config, now);
      computers[side] = std::make_unique<ComputerInput>(side, 2, start + side);
      matches[side]->eachTick = [this, side](const Game& game) {
        return computers[side]->next(game);
      };
      agreed[side].emplace_back();
      matches[side]->eachAgreed = [this, side](uint32_t, const Game& game) {
        agreed[side].back().push_back(game.digest());
      };
    }
    matches[0]->feed = &feed;
  }
  Seat& watch(const LinkConditions& conditions) {
    seats.push_back(std::make_unique<Seat>(conditions));
    Seat& seat = *seats.back();
    seat.link.setTime(now);
    seat.watcher.eachTick = [&seat](uint32_t tick, const Game& game) {
      if (tick == 0) seat.digests.emplace_back();
      seat.digests.back().push_back(game.digest());
    };
    feed.add(seat.link.end(0), now);
    return seat;
  }
  bool runUntil(const std::function<bool()>& done, int64_t limitMs = GameLimitMs) {
    for (int64_t end = now + limitMs; now < end; ++now) {
      if (done()) return true;
      if (players) players->setTime(now);
      for (int side = 0; players && side < 2; ++side) {
        if (matches[side]->finished()) continue;
        matches[side]->poll(now, TickInput());
        for (MatchEvent event; matches[side]->nextEvent(event);) (void)event;
      }
      feed.poll(now);
      for (auto& seat : seats) {
        seat->link.setTime(now);
        if (!seat->reading) continue;
        seat->watcher.poll(now);
        for (WatchEvent event; seat->watcher.nextEvent(event);) {
          seat->events.push_back(event);
          if (event.type == WatchEvent::Type::Ended)
            seat->replays.push_back(seat->watcher.replay().text());
        }
      }
    }
    return done();
  }
  bool gameOver() { return matches[0]->finished() && matches[1]->finished(); }
  void playOut() {
    ASSERT_TRUE(runUntil([&] { return gameOver(); }));
    hostReplays.push_back(matches[0]->replay().text());
  }

  int64_t now = 0;
  WatchFeed feed;
  std::unique_ptr<SimLink> players;
  std::unique_ptr<NetMatch> matches[2];
  std::unique_ptr<ComputerInput> computers[2];
  std::vector<std::vector<uint64_t>> agreed[2];  // each game's agreed digests, per side
  std::vector<std::string> hostReplays;
  std::vector<std::unique_ptr<Seat>> seats;
};

// A watcher stepped exactly the agreed ticks of the games given, and kept their replays.
void expectFollowed(const Stage& stage, const Seat& seat, size_t firstGame) {
  size_t games = stage.agreed[0].size() - firstGame;
  std::string told;
  for (const WatchEvent& event : seat.events) told += std::to_string(static_cast<int>(event.type));
  SCOPED_TRACE("events " + told);
  ASSERT_EQ(seat.digests.size(), games);
  ASSERT_EQ(seat.replays.size(), games);
  for (size_t g = 0; g < games; ++g) {
    SCOPED_TRACE("game " + std::to_string(firstGame + g));
    EXPECT_EQ(stage.agreed[0][firstGame + g], stage.agreed[1][firstGame + g]);
    EXPECT_TRUE(seat.digests[g] == stage.agreed[0][firstGame + g])
        << "the watcher stepped " << seat.digests[g].size() << " ticks, the players agreed on "
        << stage.agreed[0][firstGame + g].size();
    EXPECT_EQ(seat.replays[g], stage.hostReplays[firstGame + g]);
  }
  EXPECT_TRUE(seat.has(WatchEvent::Type::Closed));
  EXPECT_EQ(seat.watcher.replayParting(), "");
}

}  // namespace

TEST(Watching, WatchersFromTheStartLateAndBetweenGamesFollowEveryAgreedTickOfTheRematch) {
  Stage stage;
  Seat& early = stage.watch({0, 0, 0, 0, 0, 1});
  stage.startGame(11);
  ASSERT_TRUE(stage.runUntil([&] { return stage.matches[0]->tick() >= 5000 || stage.gameOver(); }));
  ASSERT_FALSE(stage.gameOver()) << "the first game ended too soon to come late to it";
  // Slow and lossy: the catching up runs through a bad link.
  Seat& late = stage.watch({120, 30, 10, 2, 5, 2});
  stage.playOut();
  Seat& between = stage.watch({40, 10, 3, 0, 2, 3});
  stage.runUntil([] { return false; }, 500);
  stage.startGame(23);
  stage.playOut();
  stage.feed.close();
  ASSERT_TRUE(stage.runUntil(
      [&] {
        for (auto& seat : stage.seats)
          if (!seat->watcher.done()) return false;
        return true;
      },
      60000));
  expectFollowed(stage, early, 0);
  expectFollowed(stage, late, 0);
  expectFollowed(stage, between, 1);
  EXPECT_TRUE(late.has(WatchEvent::Type::Live));
  EXPECT_EQ(stage.feed.watchers(), 0u);
  // A watcher pays for the presses, not for the ticks: far under a kilobyte a second.
  double seconds = stage.now / 1000.0;
  EXPECT_LT(early.link.sent(0).bytes / seconds, 1024.0);
}

TEST(Watching, ASilentWatcherIsDroppedTheNinthTurnedAwayAndNothingAWatcherSaysCounts) {
  Stage stage;
  stage.startGame(31);
  std::vector<Seat*> seated;
  for (size_t i = 0; i < WatchFeed::MostWatchers; ++i)
    seated.push_back(&stage.watch({10, 0, 0, 0, 0, static_cast<uint32_t>(40 + i)}));
  Seat& ninth = stage.watch({10, 0, 0, 0, 0, 50});
  ASSERT_TRUE(stage.runUntil([&] { return stage.matches[0]->tick() >= 600; }));
  EXPECT_TRUE(ninth.has(WatchEvent::Type::TurnedAway));
  EXPECT_EQ(stage.feed.stats().turnedAway, 1u);
  EXPECT_EQ(stage.feed.watchers(), WatchFeed::MostWatchers);

  // A watcher that sends what a player would (inputs, the setup, a digest) changes nothing.
  for (NetMessageType type :
       {NetMessageType::Inputs, NetMessageType::Setup, NetMessageType::Digest}) {
    NetMessage sent;
    sent.type = type;
    sent.inputCount = 1;
    sent.inputs[0].add(Command::AbortGame);
    std::vector<uint8_t> bytes;
    encodeMessage(sent, bytes);
    seated[1]->link.deliver(0, bytes);
  }
  Seat& silent = *seated[0];
  silent.reading = false;
  uint32_t tickAtSilence = stage.matches[0]->tick();
  int64_t silentAt = stage.now;
  ASSERT_TRUE(stage.runUntil([&] { return stage.feed.stats().dropped > 0 || stage.gameOver(); }));
  EXPECT_EQ(stage.feed.stats().refused, 3u);
  EXPECT_EQ(stage.feed.stats().dropped, 1u);
  EXPECT_LE(stage.now - silentAt, WatchFeed::StallLimitMs + 1000);
  // The players never waited: their game ran at its own pace all the while.
  double ticksPerSecond =
      (stage.matches[0]->tick() - tickAtSilence) * 1000.0 / (stage.now - silentAt);
  EXPECT_GT(ticksPerSecond, 55.0);
  // What the host sent the silent one stayed within its window.
  EXPECT_LT(silent.link.sent(0).bytes, WatchFeed::WindowTicks * 4);
  EXPECT_EQ(stage.feed.watchers(), WatchFeed::MostWatchers - 1);
  stage.playOut();
  stage.feed.close();
  ASSERT_TRUE(stage.runUntil([&] { return seated[1]->watcher.done(); }, 10000));
  expectFollowed(stage, *seated[1], 0);
}

TEST(Watching, AHeldBackFeedShowsTheGameTheDelayLaterAndTheSameEnd) {
  constexpr int DelaySeconds = 3;
  Stage stage(DelaySeconds);
  Seat& seat = stage.watch({5, 0, 0, 0, 0, 60});
  stage.startGame(41);
  ASSERT_TRUE(stage.runUntil([&] { return stage.matches[0]->tick() >= 1200; }));
  uint32_t shown = seat.watcher.tick();
  uint32_t played = stage.matches[0]->tick();
  EXPECT_GE(played - shown, DelaySeconds * 60u - 20);
  EXPECT_LE(played - shown, DelaySeconds * 60u + 30);
  stage.matches[1]->leave();
  stage.playOut();
  stage.feed.close();
  ASSERT_TRUE(stage.runUntil([&] { return seat.watcher.done(); }, 10000));
  expectFollowed(stage, seat, 0);
  ASSERT_TRUE(seat.has(WatchEvent::Type::Ended));
  EXPECT_EQ(seat.events[seat.events.size() - 2].end.leaver, 1);
}

TEST(Watching, AWatcherRefusesWhatNoHostWouldSendAndFollowsTheGameAfterAll) {
  Stage stage;
  Seat& seat = stage.watch({5, 0, 0, 0, 0, 70});
  const uint8_t marker = 0xB5;
  std::vector<std::vector<uint8_t>> junk = {
      {},
      {0x00, 0x01},
      {marker},
      {marker, 1, 0, 0, 0, 0},                                // a game with no setup
      {marker, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3},        // ... and with one that is none
      {marker, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF},  // ticks of no game
      {marker, 3, 0, 0, 0, 0, 1},                             // an end, cut short
      {marker, 6, 0, 0, 0, 0, 0, 0, 0, 0},                    // a watcher's own report
      {marker, 99, 0, 0, 0, 0},
  };
  std::mt19937 random(7);
  for (int i = 0; i < 50; ++i) {
    std::vector<uint8_t> noise(random() % 40);
    for (uint8_t& byte : noise) byte = static_cast<uint8_t>(random());
    noise.insert(noise.begin(), {marker, static_cast<uint8_t>(2 + random() % 2)});
    junk.push_back(noise);
  }
  for (const auto& packet : junk) seat.link.deliver(1, packet);
  ASSERT_TRUE(stage.runUntil([&] { return seat.watcher.refusedPackets() == junk.size(); }, 100));
  EXPECT_FALSE(seat.watcher.started());
  stage.startGame(51);
  stage.playOut();
  stage.feed.close();
  ASSERT_TRUE(stage.runUntil([&] { return seat.watcher.done(); }, 10000));
  expectFollowed(stage, seat, 0);
}

TEST(Watching, ARelayPassesTheHostsGamesOnAndEndsTheShowWhenTheHostBreaksItsFeedOrItsBound) {
  constexpr uint32_t MostTicks = 600;
  for (bool overTheBound : {false, true}) {
    SCOPED_TRACE(overTheBound ? "past its bound" : "out of turn");
    SimLink up({5, 0, 0, 0, 0, 1}), down({5, 0, 0, 0, 0, 2});
    WatchFeed host;
    FeedRelay relay(up.end(1), 4, MostTicks);
    Watcher watcher(down.end(1), "9.9");
    host.add(up.end(0), 0);
    relay.feed.add(down.end(0), 0);
    host.beginGame(HeadlessGame::setupFor(GameMode::Versus, 77));
    TickInputs press;
    press.side[1].add(Command::Left);
    uint32_t ticks = 0;
    bool closed = false;
    auto run = [&](int64_t from, int64_t to, uint32_t until) {
      for (int64_t now = from; now < to; ++now) {
        up.setTime(now), down.setTime(now);
        for (; ticks < until && tickStart(ticks) <= uint64_t(now); ++ticks)
          host.confirmed(ticks, ticks % 7 ? TickInputs() : press);
        host.poll(now);
        relay.poll(now);
        watcher.poll(now);
        for (WatchEvent event; watcher.nextEvent(event);)
          closed = closed || event.type == WatchEvent::Type::Closed;
      }
    };
    run(0, 6000, 300);
    EXPECT_EQ(watcher.tick(), 300u) << "the relay passes on what the host sends";
    EXPECT_FALSE(relay.hostGone());
    if (overTheBound) {
      run(6000, 30000, MostTicks + 60);
    } else {
      // Ticks that do not follow on from the last: no host sends them.
      up.deliver(1, {0xB5, 2, 0, 0, 0, 0, 0x90, 0x01, 0, 0, 0x90, 0x01, 0, 0, 0x80});
      run(6000, 12000, 300);
    }
    EXPECT_TRUE(relay.hostGone());
    EXPECT_TRUE(closed) << "its watchers are told the show is over";
    EXPECT_LE(watcher.tick(), MostTicks);
  }
}

TEST(Watching, ARelayHoldsTwoGamesAtMostAndEndsTheShowOfAHostThatBeginsAThird) {
  SimLink up({5, 0, 0, 0, 0, 3}), down({5, 0, 0, 0, 0, 4});
  WatchFeed host;
  FeedRelay relay(up.end(1), 4, 600);
  relay.feed.add(down.end(0), 0);  // a watcher that reads nothing holds the first game back
  host.add(up.end(0), 0);
  int64_t now = 0;
  for (int game = 0; game < 3; ++game) {
    host.beginGame(HeadlessGame::setupFor(GameMode::Versus, 80 + game));
    for (uint32_t tick = 0; tick < 30; ++tick) host.confirmed(tick, TickInputs());
    WatchedEnd end;
    end.passes = end.tick = 30;
    host.endGame(end);
    for (int64_t until = now + 1000; now < until; ++now) {
      up.setTime(now), down.setTime(now);
      host.poll(now);
      relay.poll(now);
    }
    EXPECT_EQ(relay.hostGone(), game == 2) << "game " << game;
    EXPECT_LE(relay.feed.gamesHeld(), FeedRelay::MostGamesHeld + 1);
  }
}
