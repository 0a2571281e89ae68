#include "Watchers.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "HeadlessGame.h"
#include "SimLink.h"
#include "Watching.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int64_t MsPerMinute = 60 * 1000;
constexpr int64_t GameLimitMs = 30 * MsPerMinute;
const LinkConditions PlayersLink{25, 5, 1, 0, 1, 7};
const LinkConditions WatcherLink{40, 10, 1, 0, 1, 9};
const int JoinMinutes[] = {1, 3, 10};
constexpr int Level = 5;                   // both sides: the longest games
constexpr double TicksPerMs = 3.0 / 50.0;  // three ticks make 50 ms
const size_t Audiences[] = {0, 1, 8};
constexpr int64_t UploadRunMs = 2 * MsPerMinute;

double since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Seat {
  Seat() : link(WatcherLink), watcher(link.end(1), "bench") {}
  SimLink link;
  Watcher watcher;
  int64_t joinedAt = 0;
  int64_t liveAt = -1;    // link time
  double steppingMs = 0;  // wall time spent stepping before live
  uint32_t steppedBeforeLive = 0;
  std::string replay;  // of the game, once it ended
};

// Two computer players over a simulated link, the host serving watchers over links of their
// own; link time runs as fast as the machine can go.
struct Table {
  explicit Table(uint32_t start) : players(PlayersLink) {
    for (int side = 0; side < 2; ++side) {
      MatchConfig config;
      config.host = side == 0;
      config.setup = HeadlessGame::setupFor(GameMode::Versus, start);
      config.program = "bench";
      matches[side] = std::make_unique<NetMatch>(players.end(side), config, now);
      computers[side] = std::make_unique<ComputerInput>(side, Level, start + side);
      matches[side]->eachTick = [this, side](const Game& game) {
        return computers[side]->next(game);
      };
    }
    matches[0]->feed = &feed;
  }
  Seat& seat() {
    seats.push_back(std::make_unique<Seat>());
    Seat& seat = *seats.back();
    seat.joinedAt = now;
    seat.link.setTime(now);
    feed.add(seat.link.end(0), now);
    return seat;
  }
  void step() {
    players.setTime(now);
    for (auto& match : matches)
      if (!match->finished()) {
        match->poll(now, TickInput());
        for (MatchEvent event; match->nextEvent(event);) (void)event;
      }
    feed.poll(now);
    for (auto& seat : seats) {
      seat->link.setTime(now);
      auto start = Clock::now();
      uint32_t before = seat->watcher.tick();
      seat->watcher.poll(now);
      if (seat->liveAt < 0) {
        seat->steppingMs += since(start);
        seat->steppedBeforeLive += seat->watcher.tick() - before;
      }
      for (WatchEvent event; seat->watcher.nextEvent(event);) {
        if (event.type == WatchEvent::Type::Live && seat->liveAt < 0) seat->liveAt = now;
        if (event.type == WatchEvent::Type::Ended) seat->replay = seat->watcher.replay().text();
      }
    }
    ++now;
  }
  bool over() const { return matches[0]->finished() && matches[1]->finished(); }

  int64_t now = 0;
  SimLink players;
  WatchFeed feed;
  std::unique_ptr<NetMatch> matches[2];
  std::unique_ptr<ComputerInput> computers[2];
  std::vector<std::unique_ptr<Seat>> seats;
};

// The watcher kept the replay the host kept: every agreed tick, its digests, its end.
bool followed(Table& table, const Seat& seat) {
  while (!table.over() && table.now < GameLimitMs) table.step();
  for (int i = 0; i < 1000; ++i) table.step();  // the end reaches the watchers
  return !seat.replay.empty() && seat.replay == table.matches[0]->replay().text();
}

}  // namespace

int benchWatchers() {
  int parted = 0;
  std::printf(
      "Pigmora watchers over simulated links: players %d ms apart, watchers %d ms from the host "
      "(one way), 1%% loss; the computer at level %d on both sides\n\n",
      PlayersLink.latencyMs, WatcherLink.latencyMs, Level);

  // Catching up: a watcher comes at each minute while the game lasts.
  std::printf("%-7s %8s %10s %10s %12s %10s\n", "joined", "ticks", "live (ms)", "step (ms)",
              "x real time", "follows");
  uint32_t start = 3;
  Table table(start);
  size_t next = 0;
  double gameMs = 0, wallMs = 0;
  while (!table.over() && table.now < GameLimitMs) {
    if (next < std::size(JoinMinutes) && table.now == JoinMinutes[next] * MsPerMinute) {
      table.seat();
      ++next;
    }
    table.step();
  }
  for (size_t i = 0; i < table.seats.size(); ++i) {
    const Seat& seat = *table.seats[i];
    double gameSeconds = static_cast<double>(tickStart(seat.steppedBeforeLive)) / 1000.0;
    double speed = seat.steppingMs > 0 ? gameSeconds * 1000.0 / seat.steppingMs : 0;
    gameMs += static_cast<double>(tickStart(seat.steppedBeforeLive));
    wallMs += seat.steppingMs;
    bool same = followed(table, seat);
    parted += !same;
    std::printf("%-7s %8u %10.0f %10.1f %12.0f %10s\n",
                (std::to_string(JoinMinutes[i]) + " min").c_str(), seat.steppedBeforeLive,
                static_cast<double>(seat.liveAt - seat.joinedAt) + seat.steppingMs, seat.steppingMs,
                speed, same ? "yes" : "NO");
  }
  std::printf("(the game lasted %.1f minutes; a minute it did not reach has no watcher)\n",
              table.now / static_cast<double>(MsPerMinute));
  // A minute no game reached: the link time grows with the ticks to send (a window a round
  // trip), the stepping with the game's length at the speed measured.
  if (!table.seats.empty() && table.seats.size() < std::size(JoinMinutes)) {
    const Seat& last = *table.seats.back();
    double linkMsPerTick =
        static_cast<double>(last.liveAt - last.joinedAt) / std::max(1u, last.steppedBeforeLive);
    double msPerTick = last.steppingMs / std::max(1u, last.steppedBeforeLive);
    for (size_t i = table.seats.size(); i < std::size(JoinMinutes); ++i) {
      double ticks = JoinMinutes[i] * MsPerMinute * TicksPerMs;
      std::printf("%-7s %8.0f %10.0f %10.1f   (estimated from the last row)\n",
                  (std::to_string(JoinMinutes[i]) + " min").c_str(), ticks,
                  ticks * (linkMsPerTick + msPerTick), ticks * msPerTick);
    }
  }

  // Stepping alone, as a catching-up watcher does: the whole game played without drawing.
  Replay kept = table.matches[0]->replay();
  auto began = Clock::now();
  playReplay(kept);
  double replayMs = since(began);
  double played = static_cast<double>(tickStart(static_cast<uint32_t>(kept.frames.size())));
  double speed = played / std::max(replayMs, 1e-3);
  std::printf(
      "stepping without drawing: %.0f s of game in %.0f ms, %.0f times real time; "
      "at that speed minute 10 takes %.0f ms of stepping\n\n",
      played / 1000.0, replayMs, speed, 10 * MsPerMinute / speed);

  // What watchers cost the host.
  std::printf("%-9s %14s %16s %14s %9s\n", "watchers", "host B/s", "to players B/s",
              "per watcher B/s", "follow");
  for (size_t audience : Audiences) {
    Table upload(start + 10);
    for (size_t i = 0; i < audience; ++i) upload.seat();
    while (!upload.over() && upload.now < UploadRunMs) upload.step();
    double seconds = upload.now / 1000.0;
    uint64_t toPlayers = upload.players.sent(0).bytes, toWatchers = 0;
    int same = 0;
    for (auto& seat : upload.seats) toWatchers += seat->link.sent(0).bytes;
    for (auto& seat : upload.seats) same += followed(upload, *seat);
    parted += static_cast<int>(audience) - same;
    std::printf("%-9zu %14.0f %16.0f %14.0f %6d/%zu\n", audience,
                (toPlayers + toWatchers) / seconds, toPlayers / seconds,
                audience ? toWatchers / seconds / audience : 0.0, same, audience);
  }
  std::printf(
      "\nB/s: payload bytes a second, without the network library's headers (net-duel over real\n"
      "sockets prints those); live: ms from connecting until caught up (link time, plus the\n"
      "stepping's own); step: ms of stepping while catching up; follow: watchers whose replay\n"
      "is the host's, every digest and the end alike\n\nwatchers parted: %d\n",
      parted);
  return parted;
}
