#include "Duel.h"

#include <chrono>
#include <memory>
#include <thread>

#include "EnetLink.h"
#include "NetGame.h"
#include "Version.h"

namespace {
int64_t nowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
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

  GameSetup setup(GameMode::Versus);
  setup.startFrom(options.start, 77);
  NetGame game;
  SessionConfig config;
  config.host = hosting;
  if (config.host) config.setup = NetGame::setupBytes(setup);
  config.commandLimit = NetGame::CommandLimit;
  NetSession session(game, link, config, nowMs());
  ComputerInput computer(hosting ? 0 : 1, options.level, options.start + (hosting ? 0 : 1));
  result.replay.program = PIGMORA_VERSION;
  game.onConfirmed = [&result](uint32_t tick, const TickInputs& inputs) {
    result.replay.addPass(tickLength(tick), NetGame::passOf(inputs));
  };
  bool ended = false;
  while (!session.done() && nowMs() - connected < GameLimitMs) {
    int64_t now = nowMs();
    link.service(now);
    session.poll(now);
    while (session.ready()) {
      session.advance(computer.next(game.game));
      if (result.firstTickMs < 0) result.firstTickMs = nowMs() - connected;
    }
    SessionEvent event;
    while (session.nextEvent(event)) {
      if (event.type == SessionEventType::Ended) ended = true, result.reason = event.reason;
      if (event.type == SessionEventType::Desync) ++result.desyncs;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  result.wireBytesSent = link.bytesSentOnTheWire();
  link.close();
  for (int i = 0; i < 20; ++i) link.service(nowMs());
  result.outcome = ended && result.reason == EndReason::GameOver ? DuelResult::Outcome::GameOver
                                                                 : DuelResult::Outcome::OtherEnd;
  result.stats = session.stats();
  result.playedMs = nowMs() - connected;
  result.ticks = session.tick();
  result.replay.setup = game.game.setup;
  result.replay.sealEnd();
  result.endLines = endLines(game.game);
  return result;
}
