#include "Duel.h"

#include <chrono>
#include <memory>
#include <thread>

#include "EnetLink.h"
#include "NetMatch.h"
#include "NetSession.h"
#include "ServerMeeting.h"
#include "SteadyClock.h"
#include "Version.h"

namespace {
int64_t nowMs() {
  return steadyNowMs();
}
constexpr int64_t ConnectLimitMs = 20000;
constexpr int64_t MeetingLingerMs = 1000;
constexpr int64_t GameLimitMs = 15 * 60 * 1000;
}  // namespace

void playOver(Link& link, EnetLink& wire, bool hosting, const DuelOptions& options,
              DuelResult& result);

namespace {
// Meets the other side through a server: the link, or none with the reason in `problem`.
std::unique_ptr<ServerMeeting> meet(const DuelOptions& options, const std::string& version,
                                    std::string& problem) {
  auto meeting = std::make_unique<ServerMeeting>(version, !options.relayed);
  ServerMeeting::Way way = options.way == DuelOptions::Way::Host   ? ServerMeeting::Way::Host
                           : options.way == DuelOptions::Way::Join ? ServerMeeting::Way::Join
                                                                   : ServerMeeting::Way::Quick;
  int64_t begun = nowMs();
  meeting->start(options.server, way, options.code, begun);
  bool told = false;
  while (meeting->state() != ServerMeeting::State::Connected &&
         meeting->state() != ServerMeeting::State::Failed && nowMs() - begun < ConnectLimitMs) {
    meeting->service(nowMs());
    if (!told && !meeting->code().empty() && options.say) {
      options.say("code: " + meeting->code());
      told = true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (meeting->state() != ServerMeeting::State::Connected) {
    problem = meeting->problem().empty() ? "nobody came" : meeting->problem();
    return nullptr;
  }
  if (options.say)
    options.say(meeting->path() == ServerMeeting::Path::Direct ? "path: direct" : "path: relayed");
  return meeting;
}
}  // namespace

DuelResult playDuel(const DuelOptions& options) {
  DuelResult result;
  std::string version = options.version.empty() ? PIGMORA_VERSION : options.version;
  if (!options.server.empty()) {
    int64_t begun = nowMs();
    std::unique_ptr<ServerMeeting> meeting = meet(options, version, result.problem);
    if (!meeting) return result;
    result.connectMs = nowMs() - begun;
    if (options.meetOnly) {
      // Stays a moment, so that the other side hears the welcome before the goodbye.
      for (int64_t until = nowMs() + MeetingLingerMs; nowMs() < until;) {
        meeting->service(nowMs());
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      meeting->close();
      result.outcome = DuelResult::Outcome::GameOver;
      return result;
    }
    playOver(*meeting, meeting->link(), meeting->listens(), options, result);
    return result;
  }
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
  result.connectMs = nowMs() - begun;
  playOver(link, link, hosting, options, result);
  return result;
}

void playOver(Link& link, EnetLink& wire, bool hosting, const DuelOptions& options,
              DuelResult& result) {
  int64_t connected = nowMs();
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
  result.wireBytesSent = wire.bytesSentOnTheWire();
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
}
