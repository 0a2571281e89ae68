// Plays whole Versus games between computer players on two sessions joined by a simulated
// link, for every pairing of round trip, jitter and loss, and prints what rollback cost:
//   net-bench [--games N] [--real] | --watchers
// --games: games per link condition (3; 1 with --real). --real plays over real ENet sockets
// on the loopback address through a delaying, dropping relay instead, in real time. Prints
// figures and judges nothing; the last line counts the games whose two sides disagreed.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "HeadlessGame.h"
#ifdef PIGMORA_REAL_LINKS
#include "RealLinks.h"
#endif
#include "NetGame.h"
#include "Replay.h"
#include "SimMatch.h"
#include "Watchers.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int DefaultGames = 3;
constexpr int64_t NoticedStallMs = 50;  // a stall a player notices
const int RoundTrips[] = {0, 50, 100, 150, 250};
const int Jitters[] = {0, 20};
const int Losses[] = {0, 2, 5};

struct Tally {
  int games = 0;
  int unfinished = 0;
  int desyncs = 0;
  int gamesWithNoticedStall = 0;
  double delaySum = 0;  // over both sides of every game
  double minutes = 0;   // of play, per side
  uint32_t rollbacks = 0;
  uint64_t depths[MaxPredictedTicks + 1] = {};
  uint32_t stalls = 0;
  int64_t longestStallMs = 0;
  int64_t totalStallMs = 0;
  std::vector<double> resteppingFrameMs;
  double seconds = 0;      // of link time, both sessions running
  uint64_t bytes[2] = {};  // sent by the host, by the guest
  uint64_t packets[2] = {};
  std::vector<double> agreedMs;
  std::vector<double> gameSeconds;
};

double percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[std::min(values.size() - 1, static_cast<size_t>(values.size() * p))];
}

int depthPercentile(const uint64_t (&counts)[MaxPredictedTicks + 1], double p) {
  uint64_t total = 0;
  for (uint64_t count : counts) total += count;
  uint64_t seen = 0;
  for (int depth = 0; depth <= MaxPredictedTicks; ++depth) {
    seen += counts[depth];
    if (total > 0 && seen > total * p) return depth;
  }
  return 0;
}

void playOne(const LinkConditions& link, uint32_t start, Tally& tally) {
  NetGame games[2];
  // Levels 3 and 4, changing sides from game to game.
  int swap = static_cast<int>(start % 2);
  ComputerInput players[2] = {{0, 3 + swap, start * 2 + 1}, {1, 4 - swap, start * 2 + 2}};
  SimMatchOptions options;
  options.link = link;
  options.commandLimit = NetGame::CommandLimit;
  options.setup = NetGame::setupBytes(HeadlessGame::setupFor(GameMode::Versus, start));
  options.timeFrames = true;
  SimMatchResult result = runSimMatch(
      games[0], games[1], [&](int side) { return players[side].next(games[side].game); }, options);

  tally.games += 1;
  bool desync = false;
  int64_t longest = 0;
  for (int side = 0; side < 2; ++side) {
    const SessionStats& stats = result.stats[side];
    desync = desync || findEvent(result.events[side], SessionEventType::Desync) != nullptr;
    tally.delaySum += stats.inputDelay;
    tally.rollbacks += stats.rollbacks;
    for (int depth = 0; depth <= MaxPredictedTicks; ++depth)
      tally.depths[depth] += stats.rollbackDepths[depth];
    tally.stalls += stats.stalls;
    longest = std::max(longest, stats.longestStallMs);
    tally.totalStallMs += stats.totalStallMs;
    tally.bytes[side] += result.sent[side].bytes;
    tally.packets[side] += result.sent[side].packets;
    if (stats.agreedAfterMs >= 0)
      tally.agreedMs.push_back(static_cast<double>(stats.agreedAfterMs));
    tally.minutes += tickStart(result.ticks[side]) / 60000.0;
  }
  tally.longestStallMs = std::max(tally.longestStallMs, longest);
  tally.gamesWithNoticedStall += longest > NoticedStallMs;
  tally.seconds += result.durationMs / 1000.0;
  tally.gameSeconds.push_back(tickStart(result.ticks[0]) / 1000.0);
  tally.resteppingFrameMs.insert(tally.resteppingFrameMs.end(), result.resteppingFrameMs.begin(),
                                 result.resteppingFrameMs.end());
  if (!result.done) {
    tally.unfinished += 1;
  } else if (desync || endLines(games[0].game) != endLines(games[1].game) ||
             games[0].game != games[1].game) {
    desync = true;
  }
  tally.desyncs += desync;
}

void usage(FILE* out) {
  std::fprintf(out,
               "usage: net-bench [--games N] [--real] | --watchers\n"
               "Plays Versus games between computer players over simulated links (round trip\n"
               "0 to 250 ms, jitter 0 or 20 ms, loss 0 to 5%%) and prints what rollback cost.\n"
               "  --games N  games per link condition (default %d; 1 with --real)\n"
               "  --real     over real ENet sockets on the loopback address through a relay\n"
               "             that delays and drops, in real time (about a minute a game)\n"
               "  --watchers how watchers catch up and what they cost the host\n"
               "  --help     this text\n",
               DefaultGames);
}

}  // namespace

int main(int argc, char** argv) {
  int games = 0;
  bool real = false;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--real")) {
      real = true;
      continue;
    }
    if (!std::strcmp(argv[i], "--watchers")) return benchWatchers() == 0 ? 0 : 1;
    if (!std::strcmp(argv[i], "--help")) {
      usage(stdout);
      return 0;
    }
    if (!std::strcmp(argv[i], "--games") && i + 1 < argc) {
      char* end = nullptr;
      long value = std::strtol(argv[++i], &end, 10);
      if (end == argv[i] || *end != '\0' || value < 1 || value > 1000000) {
        std::fprintf(stderr, "net-bench: --games takes a number from 1 to 1000000, not \"%s\"\n",
                     argv[i]);
        return 2;
      }
      games = static_cast<int>(value);
      continue;
    }
    std::fprintf(stderr, "net-bench: unknown option \"%s\"\n", argv[i]);
    usage(stderr);
    return 2;
  }
  if (real) {
#ifdef PIGMORA_REAL_LINKS
    if (games == 0) games = 1;
    int disagreed = benchRealLinks(games);
    std::printf("desyncs: %d in %d games\n", disagreed, games * RealLinkConditions);
    return 0;
#else
    std::fprintf(stderr, "net-bench: this build has no network library for --real\n");
    return 2;
#endif
  }
  if (games == 0) games = DefaultGames;

  std::printf(
      "Pigmora rollback over simulated links: %d Versus games per condition, computer levels "
      "3 and 4\nstate: %zu bytes in memory, %zu saved; ticks of 17, 17, 16 ms\n\n",
      games, sizeof(Game), saveState(Game(GameSetup(GameMode::Versus))).size());
  std::printf("%-17s %5s %7s %5s %5s %6s %7s %7s %6s %8s %6s %6s %6s %6s %6s %5s %5s\n",
              "rtt/jitter/loss", "delay", "rb/min", "d p50", "d p99", "stalls", "longest",
              "stallms", ">50ms%", "restep99", "B/s h", "B/s g", "pk/s h", "pk/s g", "agree",
              "game", "desyn");
  auto begin = Clock::now();
  int totalGames = 0, totalDesyncs = 0, totalUnfinished = 0;
  uint32_t condition = 0;
  for (int roundTrip : RoundTrips) {
    for (int jitter : Jitters) {
      for (int loss : Losses) {
        ++condition;
        Tally tally;
        for (int g = 0; g < games; ++g) {
          LinkConditions link{roundTrip / 2, jitter, loss, 0, 0, condition * 100003u + g};
          playOne(link, 1000u + condition * 7919u + static_cast<uint32_t>(g), tally);
        }
        char name[32];
        std::snprintf(name, sizeof name, "%d/%d/%d%%", roundTrip, jitter, loss);
        double perSide = std::max(tally.seconds, 1e-9);
        std::printf(
            "%-17s %5.2f %7.1f %5d %5d %6u %7lld %7lld %5.1f%% %8.3f %6.0f %6.0f %6.1f %6.1f %6.0f "
            "%5.0f %5d\n",
            name, tally.delaySum / (2.0 * tally.games),
            tally.minutes > 0 ? tally.rollbacks / tally.minutes : 0.0,
            depthPercentile(tally.depths, 0.5), depthPercentile(tally.depths, 0.99), tally.stalls,
            static_cast<long long>(tally.longestStallMs),
            static_cast<long long>(tally.totalStallMs),
            100.0 * tally.gamesWithNoticedStall / tally.games,
            percentile(tally.resteppingFrameMs, 0.99), tally.bytes[0] / perSide,
            tally.bytes[1] / perSide, tally.packets[0] / perSide, tally.packets[1] / perSide,
            percentile(tally.agreedMs, 0.5), percentile(tally.gameSeconds, 0.5), tally.desyncs);
        std::fflush(stdout);
        totalGames += tally.games;
        totalDesyncs += tally.desyncs;
        totalUnfinished += tally.unfinished;
      }
    }
  }
  std::printf(
      "\ndelay: input delay in ticks; rb/min: rollbacks per minute of play per side; d: rollback\n"
      "depth in ticks; stalls: waits for the other side (count, longest and total ms, games\n"
      "with one over %lld ms); restep99: ms of session work at p99 over frames that rolled back;\n"
      "B/s, pk/s: payload bytes and packets per second sent by host and guest; agree: median ms\n"
      "until the clocks agreed within a tick; game: median seconds of play\n",
      static_cast<long long>(NoticedStallMs));
  std::printf("unfinished: %d; %.0f s of computing\n", totalUnfinished,
              std::chrono::duration<double>(Clock::now() - begin).count());
  std::printf("desyncs: %d in %d games\n", totalDesyncs, totalGames);
  return 0;
}
