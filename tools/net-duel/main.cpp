// One side of a network game with the computer at the keys and no window, over real ENet
// sockets: two of these (a host and a joiner) play a whole "2p Versus" game.
//   net-duel --host=PORT | --join=HOST:PORT  [--level=N] [--seed=S] [--replay=FILE]
//            [--version=V]
// --version plays as another version of the program would ("1.3"), to be turned away.
// Prints the game's end lines (as --check-replay does) and, on standard error, how long
// the connection and the first tick took and what the session measured (a benchmark's
// figures over real sockets, beside net-bench's simulated ones). Exits 0 when the game ended by the
// rules, 1 when it ended otherwise, 2 for a bad command line, 3 when no game could be had.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "EnetLink.h"
#include "NetGame.h"
#include "NetSession.h"
#include "Replay.h"
#include "Version.h"

namespace {
int64_t nowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
constexpr int64_t ConnectLimitMs = 20000;
constexpr int64_t GameLimitMs = 15 * 60 * 1000;

bool value(const std::string& argument, const char* name, std::string& out) {
  std::string prefix = std::string(name) + "=";
  if (argument.rfind(prefix, 0) != 0) return false;
  out = argument.substr(prefix.size());
  return true;
}
}  // namespace

int main(int argc, char** argv) {
  std::string host, join, level = "3", seed = "1", replayPath, version = PIGMORA_VERSION;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (!value(a, "--host", host) && !value(a, "--join", join) && !value(a, "--level", level) &&
        !value(a, "--seed", seed) && !value(a, "--replay", replayPath) &&
        !value(a, "--version", version)) {
      std::fprintf(stderr,
                   "usage: net-duel --host=PORT | --join=HOST:PORT [--level=N] [--seed=S] "
                   "[--replay=FILE] [--version=V]\n");
      return 2;
    }
  }
  if (host.empty() == join.empty()) {
    std::fprintf(stderr, "net-duel: give one of --host and --join\n");
    return 2;
  }
  auto knocker = std::make_unique<EnetLink>(version);
  int64_t begun = nowMs();
  if (!host.empty()) {
    if (!knocker->host(static_cast<uint16_t>(std::atoi(host.c_str())), true)) {
      std::fprintf(stderr, "net-duel: %s\n", knocker->problem().c_str());
      return 3;
    }
  } else {
    knocker->join(join, begun);
  }
  while (knocker->state() != EnetLink::State::Connected && nowMs() - begun < ConnectLimitMs) {
    knocker->service(nowMs());
    if (knocker->state() == EnetLink::State::Refused) break;
    if (knocker->state() == EnetLink::State::Failed) {
      // A joiner that came before the host knocks again until the limit.
      if (join.empty()) break;
      knocker = std::make_unique<EnetLink>(version);
      knocker->join(join, nowMs());
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EnetLink& link = *knocker;
  if (link.state() != EnetLink::State::Connected) {
    std::fprintf(stderr, "net-duel: no game: %s\n", link.problem().c_str());
    return 3;
  }
  int64_t connected = nowMs();

  GameSetup setup(GameMode::Versus);
  setup.startFrom(static_cast<uint32_t>(std::strtoul(seed.c_str(), nullptr, 10)), 77);
  NetGame game;
  SessionConfig config;
  config.host = !host.empty();
  if (config.host) config.setup = NetGame::setupBytes(setup);
  config.commandLimit = NetGame::CommandLimit;
  NetSession session(game, link, config, nowMs());
  ComputerInput computer(
      config.host ? 0 : 1, std::atoi(level.c_str()),
      static_cast<uint32_t>(std::strtoul(seed.c_str(), nullptr, 10)) + (config.host ? 0 : 1));
  Replay replay;
  replay.program = PIGMORA_VERSION;
  game.onConfirmed = [&replay](uint32_t tick, const TickInputs& inputs) {
    replay.addPass(tickLength(tick), NetGame::passOf(inputs));
  };
  int64_t firstTick = -1;
  EndReason reason = EndReason::Lost;
  bool ended = false;
  while (!session.done() && nowMs() - connected < GameLimitMs) {
    int64_t now = nowMs();
    link.service(now);
    session.poll(now);
    while (session.ready()) {
      session.advance(computer.next(game.game));
      if (firstTick < 0) firstTick = nowMs();
    }
    SessionEvent event;
    while (session.nextEvent(event))
      if (event.type == SessionEventType::Ended)
        ended = true, reason = event.reason;
      else if (event.type == SessionEventType::Desync)
        std::fprintf(stderr, "net-duel: desync at tick %u\n", event.tick);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  link.close();
  for (int i = 0; i < 20; ++i) link.service(nowMs());
  const SessionStats& stats = session.stats();
  double minutes = std::max(1.0, static_cast<double>(nowMs() - connected)) / 60000.0;
  double seconds = minutes * 60.0;
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
               static_cast<long long>(connected - begun),
               static_cast<long long>(firstTick < 0 ? -1 : firstTick - connected), session.tick());
  replay.setup = game.game.setup;
  replay.sealEnd();
  if (!replayPath.empty()) std::ofstream(replayPath) << replay.text();
  std::fputs(endLines(game.game).c_str(), stdout);
  return ended && reason == EndReason::GameOver ? 0 : 1;
}
