// One side of a network game with the computer at the keys and no window, over real ENet
// sockets: two of these (a host and a joiner) play a whole "2p Versus" game.
//   net-duel --host=PORT | --join=HOST:PORT  [--level=N] [--start=S] [--replay=FILE]
//            [--version=V] [--watch-delay=SECONDS]
//   net-duel --server=HOST:PORT --host | --join=CODE | --quick  [--relayed] [--meet-only] [...]
//   net-duel --watch=HOST:PORT | --server=HOST:PORT --watch=CODE  [--replay=FILE]
// With --server the two meet through a Pigmora server: the host prints "code: K7M-X2Q" as
// soon as it has one, and each side "path: direct" or "path: relayed" once connected.
// A host also serves watchers, on the port after its own. A watcher follows the pair at
// HOST:PORT to the end of their connection, prints the last game's end lines, and on standard
// error how soon it was live and how fast it caught up.
// --version plays as another version of the program would ("1.3"), to be turned away.
// Prints the game's end lines (as --check-replay does) and, on standard error, how long
// the connection and the first tick took and what the session measured (a benchmark's
// figures over real sockets, beside net-bench's simulated ones). Exits 0 when the game ended by the
// rules, 1 when it ended otherwise, 2 for a bad command line, 3 when no game could be had.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "Duel.h"
#include "Input.h"

namespace {
bool value(const std::string& argument, const char* name, std::string& out) {
  std::string prefix = std::string(name) + "=";
  if (argument.rfind(prefix, 0) != 0) return false;
  out = argument.substr(prefix.size());
  return true;
}
}  // namespace

// Watches the pair whose host is at `address`: 0 when the last game watched ended by the
// rules, 1 when otherwise, 3 when nothing could be watched.
int watchPair(const std::string& address, const std::string& replayPath, const std::string& version,
              const std::string& server) {
  WatchResult result = watchDuel(address, version, server);
  if (result.turnedAway) {
    std::fprintf(stderr, "net-duel: %s\n", WatchersFullText);
    return 3;
  }
  if (!result.problem.empty() || result.games == 0) {
    std::fprintf(stderr, "net-duel: nothing watched: %s\n",
                 result.problem.empty() ? "no game ended" : result.problem.c_str());
    return 3;
  }
  double seconds = std::max(1.0, static_cast<double>(result.watchedMs)) / 1000.0;
  double stepSeconds = std::max<int64_t>(1, result.catchUpStepMs) / 1000.0;
  std::fprintf(stderr, "net-duel: live after %lld ms\n", static_cast<long long>(result.liveMs));
  std::fprintf(stderr,
               "net-duel: caught up %u ticks in %lld ms of stepping (%.0f times real time); "
               "%d games watched, %.0f B/s from the host%s\n",
               result.caughtUpTicks, static_cast<long long>(result.catchUpStepMs),
               tickStart(result.caughtUpTicks) / 1000.0 / stepSeconds, result.games,
               result.bytesReceived / seconds, result.closed ? "" : "; the host went unannounced");
  if (!result.replayParting.empty())
    std::fprintf(stderr, "net-duel: the replay %s\n", result.replayParting.c_str());
  if (!replayPath.empty()) std::ofstream(replayPath) << result.replay.text();
  std::fputs(result.endLines.c_str(), stdout);
  return result.end == MatchEnd::GameOver && result.closed ? 0 : 1;
}

int main(int argc, char** argv) {
  std::string host, join, level = "3", start = "1", replayPath, version, server, watch, delay = "0";
  bool hostFlag = false, quick = false, relayed = false, meetOnly = false;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--host" || a == "--quick" || a == "--relayed" || a == "--meet-only") {
      (a == "--host"      ? hostFlag
       : a == "--quick"   ? quick
       : a == "--relayed" ? relayed
                          : meetOnly) = true;
      continue;
    }
    if (!value(a, "--server", server) && !value(a, "--host", host) && !value(a, "--join", join) &&
        !value(a, "--level", level) && !value(a, "--start", start) &&
        !value(a, "--replay", replayPath) && !value(a, "--version", version) &&
        !value(a, "--watch", watch) && !value(a, "--watch-delay", delay)) {
      std::fprintf(stderr,
                   "usage: net-duel --host=PORT | --join=HOST:PORT [--level=N] [--start=S] "
                   "[--replay=FILE] [--version=V] [--watch-delay=SECONDS]\n"
                   "       net-duel --server=HOST:PORT --host | --join=CODE | --quick [--relayed] "
                   "[--meet-only] [...]\n"
                   "       net-duel --watch=HOST:PORT | --server=HOST:PORT --watch=CODE "
                   "[--replay=FILE]\n");
      return 2;
    }
  }
  if (!watch.empty()) return watchPair(watch, replayPath, version, server);
  DuelOptions options;
  if (!server.empty()) {
    if (int(hostFlag) + int(!join.empty()) + int(quick) != 1 || !host.empty()) {
      std::fprintf(stderr, "net-duel: with --server give one of --host, --join=CODE and --quick\n");
      return 2;
    }
    options.server = server;
    options.way = hostFlag ? DuelOptions::Way::Host
                  : quick  ? DuelOptions::Way::Quick
                           : DuelOptions::Way::Join;
    options.code = join;
    options.relayed = relayed;
    options.meetOnly = meetOnly;
    options.say = [](const std::string& line) {
      std::printf("%s\n", line.c_str());
      std::fflush(stdout);
    };
    join.clear();
    host = "0";
  } else if (host.empty() == join.empty()) {
    std::fprintf(stderr, "net-duel: give one of --host and --join\n");
    return 2;
  }
  options.hostPort = static_cast<uint16_t>(std::atoi(host.c_str()));
  options.join = join;
  options.level = std::atoi(level.c_str());
  options.start = static_cast<uint32_t>(std::strtoul(start.c_str(), nullptr, 10));
  options.version = version;
  options.watchDelay = std::atoi(delay.c_str());
  if (options.watchDelay < 0 || options.watchDelay > WatchFeed::MostDelaySeconds) {
    std::fprintf(stderr, "net-duel: --watch-delay takes 0 to %d seconds\n",
                 WatchFeed::MostDelaySeconds);
    return 2;
  }
  DuelResult result = playDuel(options);
  if (result.outcome == DuelResult::Outcome::NoGame) {
    std::fprintf(stderr, "net-duel: no game: %s\n", result.problem.c_str());
    return 3;
  }
  const SessionStats& stats = result.stats;
  double seconds = std::max(1.0, static_cast<double>(result.playedMs)) / 1000.0;
  double minutes = seconds / 60.0;
  for (int i = 0; i < result.desyncs; ++i) std::fprintf(stderr, "net-duel: desync\n");
  if (!result.replayParting.empty())
    std::fprintf(stderr, "net-duel: the replay %s\n", result.replayParting.c_str());
  std::fprintf(stderr,
               "net-duel: input delay %d ticks, round trip %d ms, %.0f rollbacks a minute, "
               "%llu ticks stepped again, %u stalls (longest %lld ms, %lld ms in all), "
               "%.0f B/s and %.1f packets/s out, %.0f B/s in, %u bad packets\n",
               stats.inputDelay, stats.roundTripMs, stats.rollbacks / minutes,
               static_cast<unsigned long long>(stats.resteppedTicks), stats.stalls,
               static_cast<long long>(stats.longestStallMs),
               static_cast<long long>(stats.totalStallMs), stats.bytesSent / seconds,
               stats.packetsSent / seconds, stats.bytesReceived / seconds, stats.badPackets);
  std::fprintf(stderr, "net-duel: connected after %lld ms, first tick %lld ms later, %u ticks\n",
               static_cast<long long>(result.connectMs), static_cast<long long>(result.firstTickMs),
               result.ticks);
  if (result.feed.bytesSent > 0 || result.feed.turnedAway > 0)
    std::fprintf(stderr,
                 "net-duel: watchers: %llu feed bytes (%llu on the wire), %.0f B/s, %u turned "
                 "away, %u dropped, %u packets refused\n",
                 static_cast<unsigned long long>(result.feed.bytesSent),
                 static_cast<unsigned long long>(result.watchWireBytes),
                 result.feed.bytesSent / seconds, result.feed.turnedAway, result.feed.dropped,
                 result.feed.refused);
  if (!replayPath.empty()) std::ofstream(replayPath) << result.replay.text();
  std::fputs(result.endLines.c_str(), stdout);
  return result.outcome == DuelResult::Outcome::GameOver ? 0 : 1;
}
