#include "Duel.h"

#include <chrono>
#include <memory>
#include <thread>

#include "EnetLink.h"
#include "NetMatch.h"
#include "NetSession.h"
#include "SteadyClock.h"
#include "Version.h"

namespace {
int64_t nowMs() {
  return steadyNowMs();
}
constexpr int64_t ConnectLimitMs = 20000;
constexpr int64_t GameLimitMs = 15 * 60 * 1000;
}  // namespace

DuelResult playDuel(const DuelOptions& options) {
  DuelResult result;
  std::string version = options.version.empty() ? PIGMORA_VERSION : options.version;
  bool hosting = options.join.empty();
  auto knocker = std::make_unique<EnetLink>(version);
  int64_t begun = nowMs();
  if (hosting) {
    if (!knocker->host(options.hostPort, true)) {
      result.problem = knocker->problem();
      return result;
    }
  } else {
    knocker->join(options.join, begun);
  }
  while (knocker->state() != EnetLink::State::Connected && nowMs() - begun < ConnectLimitMs) {
    knocker->service(nowMs());
    if (knocker->state() == EnetLink::State::Refused) break;
    if (knocker->state() == EnetLink::State::Failed) {
      // A joiner that came before the host knocks again until the limit.
      if (hosting) break;
      knocker = std::make_unique<EnetLink>(version);
      knocker->join(options.join, nowMs());
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EnetLink& link = *knocker;
  if (link.state() != EnetLink::State::Connected) {
    result.problem = link.problem().empty() ? "nobody came" : link.problem();
    return result;
  }
  int64_t connected = nowMs();
  result.connectMs = connected - begun;

  MatchConfig config;
  config.host = hosting;
  config.setup.startFrom(options.start, 77);
  config.program = PIGMORA_VERSION;
  NetMatch match(link, config, nowMs());
  ComputerInput computer(match.localSide(), options.level, options.start + (hosting ? 0 : 1));
  match.eachTick = [&computer](const Game& game) { return computer.next(game); };
  bool ended = false;
  while (!match.finished() && nowMs() - connected < GameLimitMs) {
    match.poll(nowMs(), TickInput());
    if (result.firstTickMs < 0 && match.tick() > 0) result.firstTickMs = nowMs() - connected;
    MatchEvent event;
    while (match.nextEvent(event)) {
      if (event.type == MatchEvent::Type::Ended) ended = true, result.end = event.end;
      if (event.type == MatchEvent::Type::Desync) ++result.desyncs;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  result.wireBytesSent = link.bytesSentOnTheWire();
  link.close();
  for (int i = 0; i < 20; ++i) link.service(nowMs());
  result.outcome = ended && result.end == MatchEnd::GameOver ? DuelResult::Outcome::GameOver
                                                             : DuelResult::Outcome::OtherEnd;
  result.stats = match.stats();
  result.playedMs = nowMs() - connected;
  result.ticks = match.tick();
  result.replay = match.replay();
  result.replayParting = match.replayParting();
  result.endLines = endLines(match.game());
  return result;
}
