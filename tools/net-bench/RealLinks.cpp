#include "RealLinks.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "Duel.h"
#include "Relay.h"

namespace {
struct Condition {
  int roundTripMs, jitterMs, lossPercent;
};
const Condition Conditions[RealLinkConditions] = {
    {0, 0, 0}, {100, 10, 1}, {150, 20, 2}, {250, 20, 5}};

int depthPercentile(const SessionStats& a, const SessionStats& b, double p) {
  uint64_t total = 0;
  for (int depth = 0; depth <= MaxPredictedTicks; ++depth)
    total += a.rollbackDepths[depth] + b.rollbackDepths[depth];
  uint64_t seen = 0;
  for (int depth = 0; depth <= MaxPredictedTicks; ++depth) {
    seen += a.rollbackDepths[depth] + b.rollbackDepths[depth];
    if (total > 0 && seen > total * p) return depth;
  }
  return 0;
}
}  // namespace

int benchRealLinks(int games) {
  std::printf(
      "Pigmora rollback over real ENet sockets on the loopback address, through a relay that\n"
      "delays and drops: %d Versus game(s) per condition in real time, computer levels 3 and 4\n\n",
      games);
  std::printf("%-14s %5s %7s %5s %5s %6s %7s %6s %6s %6s %6s %6s %7s %6s %5s %5s\n", "rtt/jit/loss",
              "delay", "rb/min", "d p50", "d p99", "stalls", "longest", "B/s h", "B/s g", "wire h",
              "pk/s h", "pk/s g", "connect", "first", "game", "desyn");
  int disagreed = 0;
  uint32_t start = 5000;
  for (const Condition& condition : Conditions) {
    for (int g = 0; g < games; ++g, ++start) {
      DuelOptions host, guest;
      host.level = 3 + static_cast<int>(start % 2);
      guest.level = 7 - host.level;
      host.start = start;
      guest.start = start + 1000;
      // The host takes a free port from the kernel: ask for one, free it, listen there.
      {
        UdpRelay probe(0, 1, RelayLink{});
        host.hostPort = probe.port();
      }
      RelayLink link{condition.roundTripMs / 2, condition.jitterMs, condition.lossPercent, start};
      UdpRelay relay(0, host.hostPort, link);
      if (!relay.ready() || host.hostPort == 0) {
        std::fprintf(stderr, "net-bench: no port on the loopback address\n");
        return 1;
      }
      guest.join = "127.0.0.1:" + std::to_string(relay.port());
      std::atomic<bool> playing{true};
      std::thread carrier([&] { relay.run([&] { return playing.load(); }); });
      DuelResult sides[2];
      std::thread hostSide([&] { sides[0] = playDuel(host); });
      sides[1] = playDuel(guest);
      hostSide.join();
      playing = false;
      carrier.join();

      bool agree = sides[0].outcome == DuelResult::Outcome::GameOver &&
                   sides[1].outcome == DuelResult::Outcome::GameOver &&
                   sides[0].endLines == sides[1].endLines && !sides[0].desyncs &&
                   !sides[1].desyncs && sides[0].replayParting.empty() &&
                   sides[1].replayParting.empty();
      disagreed += !agree;
      const SessionStats &h = sides[0].stats, &j = sides[1].stats;
      double seconds[2] = {std::max(1.0, sides[0].playedMs / 1000.0),
                           std::max(1.0, sides[1].playedMs / 1000.0)};
      double minutes = (seconds[0] + seconds[1]) / 120.0;
      char name[32];
      std::snprintf(name, sizeof name, "%d/%d/%d%%", condition.roundTripMs, condition.jitterMs,
                    condition.lossPercent);
      std::printf(
          "%-14s %5.1f %7.1f %5d %5d %6u %7lld %6.0f %6.0f %6.0f %6.1f %6.1f %7lld %6lld %5.0f "
          "%5s\n",
          name, (h.inputDelay + j.inputDelay) / 2.0, (h.rollbacks + j.rollbacks) / 2.0 / minutes,
          depthPercentile(h, j, 0.5), depthPercentile(h, j, 0.99), h.stalls + j.stalls,
          static_cast<long long>(std::max(h.longestStallMs, j.longestStallMs)),
          h.bytesSent / seconds[0], j.bytesSent / seconds[1], sides[0].wireBytesSent / seconds[0],
          h.packetsSent / seconds[0], j.packetsSent / seconds[1],
          static_cast<long long>(sides[1].connectMs), static_cast<long long>(sides[1].firstTickMs),
          seconds[1], agree ? "0" : "1");
      std::fflush(stdout);
      if (sides[0].outcome == DuelResult::Outcome::NoGame)
        std::fprintf(stderr, "net-bench: no game: %s\n", sides[0].problem.c_str());
    }
  }
  std::printf(
      "\nconnect: ms until the joiner's link was up; first: ms from then to its first tick;\n"
      "game: seconds of play; wire h: bytes a second the host sent as datagrams, ENet's\n"
      "headers, acknowledgements and pings included; other columns as over simulated links\n");
  return disagreed;
}
