// A host's watchers over real ENet sockets on the loopback address, between two games.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "EnetLink.h"
#include "FreePort.h"
#include "HeadlessGame.h"
#include "SteadyClock.h"
#include "WatchHost.h"

namespace {
// Longer than ENet gives a peer that answers nothing before it counts it gone.
constexpr int64_t LongBreakMs = 17000;

// Polls the watcher (and `each`) every few ms until `done`, or the limit.
bool follow(EnetLink& link, Watcher& watcher, const std::function<bool()>& done, int64_t limitMs,
            const std::function<void()>& each = {}) {
  for (int64_t end = steadyNowMs() + limitMs; steadyNowMs() < end;) {
    if (each) each();
    link.service(steadyNowMs());
    watcher.poll(steadyNowMs());
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return done();
}

void playGame(WatchFeed& feed, uint32_t start) {
  feed.beginGame(HeadlessGame::setupFor(GameMode::Versus, start));
  for (uint32_t tick = 0; tick < 120; ++tick) feed.confirmed(tick, TickInputs());
  WatchedEnd end;
  end.passes = end.tick = 120;
  end.end = MatchEnd::RemoteLeft;
  end.leaver = 1;
  feed.endGame(end);
}
}  // namespace

TEST(Audience, WatchersStayThroughALongBreakBetweenGamesAndSeeTheRematch) {
  uint16_t gamePort = freePort();
  Audience audience("9.9", gamePort, 0, true);
  ASSERT_TRUE(audience.listening());
  EnetLink link("9.9");
  link.join("127.0.0.1:" + std::to_string(gamePort + WatchPortOffset), steadyNowMs());
  Watcher watcher(link, "9.9");
  int games = 0;
  auto ended = [&] {
    for (WatchEvent event; watcher.nextEvent(event);)
      games += event.type == WatchEvent::Type::Ended;
    return games;
  };
  auto serve = [&] { audience.serve(steadyNowMs()); };
  ASSERT_TRUE(follow(
      link, watcher, [&] { return audience.feed.watchers() == 1; }, 5000, serve));
  playGame(audience.feed, 5);
  ASSERT_TRUE(follow(
      link, watcher, [&] { return ended() == 1; }, 10000, serve));

  // The players read their results and dawdle in the menu.
  audience.keepServing();
  follow(
      link, watcher, [&] { return ended() > 1 || watcher.done(); }, LongBreakMs);
  EXPECT_FALSE(watcher.done()) << "the watcher was let go during the break";
  audience.takeOver();

  playGame(audience.feed, 6);
  EXPECT_TRUE(follow(
      link, watcher, [&] { return ended() == 2; }, 10000, serve))
      << "the rematch reaches the watcher";
  EXPECT_EQ(audience.feed.watchers(), 1u);
}
