#include "Duel.h"

#include <chrono>
#include <memory>
#include <thread>

#include "EnetLink.h"
#include "NetAddress.h"
#include "NetMatch.h"
#include "NetSession.h"
#include "ServerMeeting.h"
#include "ServerStream.h"
#include "SteadyClock.h"
#include "Version.h"
#include "WatchHost.h"

namespace {
int64_t nowMs() {
  return steadyNowMs();
}
constexpr int64_t ConnectLimitMs = 20000;
constexpr int64_t MeetingLingerMs = 1000;
constexpr int64_t GameLimitMs = 15 * 60 * 1000;
constexpr int64_t PollMs = 1;
void pause() {
  std::this_thread::sleep_for(std::chrono::milliseconds(PollMs));
}
}  // namespace

void playOver(Link& link, EnetLink& wire, bool hosting, Audience* audience,
              const DuelOptions& options, DuelResult& result);

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
    // A host met by its code shows the game on the server for watchers who have the code.
    std::unique_ptr<Audience> shown;
    if (meeting->showable()) {
      shown = std::make_unique<Audience>(version, 0, options.watchDelay, true);
      shown->showAt(meeting->serverHostAddress(), meeting->serverPortNumber(), meeting->token(),
                    nowMs());
    }
    playOver(*meeting, meeting->link(), meeting->listens(), shown.get(), options, result);
    return result;
  }
  bool hosting = options.join.empty();
  auto knocker = std::make_unique<EnetLink>(version);
  int64_t begun = nowMs();
  std::unique_ptr<Audience> audience;
  if (hosting) {
    if (!knocker->host(options.hostPort, true)) {
      result.problem = knocker->problem();
      return result;
    }
    audience = std::make_unique<Audience>(version, options.hostPort, options.watchDelay, true);
  } else {
    knocker->join(options.join, begun);
  }
  while (knocker->state() != EnetLink::State::Connected && nowMs() - begun < ConnectLimitMs) {
    knocker->service(nowMs());
    if (audience) audience->serve(nowMs());
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
  playOver(link, link, hosting, audience.get(), options, result);
  return result;
}

void playOver(Link& link, EnetLink& wire, bool hosting, Audience* audience,
              const DuelOptions& options, DuelResult& result) {
  int64_t connected = nowMs();
  MatchConfig config;
  config.host = hosting;
  config.setup.startFrom(options.start, 77);
  config.program = PIGMORA_VERSION;
  NetMatch match(link, config, nowMs());
  ComputerInput computer(match.localSide(), options.level, options.start + (hosting ? 0 : 1));
  match.eachTick = [&computer](const Game& game) { return computer.next(game); };
  if (audience) match.feed = &audience->feed;
  bool ended = false;
  while (!match.finished() && nowMs() - connected < GameLimitMs) {
    match.poll(nowMs(), TickInput());
    if (result.firstTickMs < 0 && match.tick() > 0) result.firstTickMs = nowMs() - connected;
    MatchEvent event;
    while (match.nextEvent(event)) {
      if (event.type == MatchEvent::Type::Ended) ended = true, result.end = event.end;
      if (event.type == MatchEvent::Type::Desync) ++result.desyncs;
    }
    if (audience) audience->serve(nowMs());
    pause();
  }
  result.wireBytesSent = wire.bytesSentOnTheWire();
  link.close();
  for (int i = 0; i < 20; ++i) link.service(nowMs());
  if (audience) {
    // The watchers see the game to its end, the hold-back after the players.
    audience->finish(nowMs, [] { return false; });
    result.watchWireBytes = audience->port.bytesSentOnTheWire();
    result.feed = audience->feed.stats();
  }
  result.outcome = ended && result.end == MatchEnd::GameOver ? DuelResult::Outcome::GameOver
                                                             : DuelResult::Outcome::OtherEnd;
  result.stats = match.stats();
  result.playedMs = nowMs() - connected;
  result.ticks = match.tick();
  result.replay = match.replay();
  result.replayParting = match.replayParting();
  result.endLines = endLines(match.game());
}

namespace {
// The host's port for watchers beside the game's at `address`, once it answers.
std::unique_ptr<Link> watchAtHost(const std::string& address, const std::string& version,
                                  std::string& problem) {
  NetAddress where;
  std::string why;
  if (!parseAddress(address, where, why)) {
    problem = "'" + address + "' is not HOST:PORT: " + why;
    return nullptr;
  }
  where.port = static_cast<uint16_t>(where.port + WatchPortOffset);
  std::string watchAt = where.host + ":" + std::to_string(where.port);
  int64_t begun = nowMs();
  auto link = std::make_unique<EnetLink>(version);
  link->join(watchAt, begun);
  while (link->state() != EnetLink::State::Connected && nowMs() - begun < ConnectLimitMs) {
    link->service(nowMs());
    if (link->state() == EnetLink::State::Refused) break;
    if (link->state() == EnetLink::State::Failed) {
      // A watcher that came before the host knocks again until the limit.
      link = std::make_unique<EnetLink>(version);
      link->join(watchAt, nowMs());
    }
    pause();
  }
  if (link->state() != EnetLink::State::Connected) {
    problem = link->problem().empty() ? "no game to watch" : link->problem();
    return nullptr;
  }
  return link;
}

// The game shown with `code` on the Pigmora server at `server`, once the server opened it.
// A watcher that came before the game was shown asks again until the limit, slowly enough
// not to be taken for a guesser of codes.
std::unique_ptr<Link> watchThroughServer(const std::string& server, const std::string& code,
                                         const std::string& version, std::string& problem) {
  int64_t begun = nowMs();
  for (;;) {
    auto stream = std::make_unique<ServerStream>(version);
    stream->watch(server, code, nowMs());
    while (stream->state() != ServerStream::State::Open &&
           stream->state() != ServerStream::State::Failed) {
      stream->service(nowMs());
      pause();
    }
    if (stream->state() == ServerStream::State::Open) {
      problem.clear();
      return stream;
    }
    problem = stream->problem();
    if (!stream->notShownYet() || nowMs() - begun > ConnectLimitMs) return nullptr;
    for (int64_t again = nowMs() + ServerStream::AskShowAgainMs; nowMs() < again;) pause();
  }
}
}  // namespace

WatchResult watchDuel(const std::string& address, const std::string& givenVersion,
                      const std::string& server) {
  WatchResult result;
  std::string version = givenVersion.empty() ? PIGMORA_VERSION : givenVersion;
  int64_t begun = nowMs();
  std::unique_ptr<Link> link = server.empty()
                                   ? watchAtHost(address, version, result.problem)
                                   : watchThroughServer(server, address, version, result.problem);
  if (!link) return result;
  int64_t connected = nowMs();
  result.connectMs = connected - begun;
  Watcher watcher(*link, PIGMORA_VERSION);
  while (!watcher.done() && nowMs() - connected < GameLimitMs) {
    link->service(nowMs());
    int64_t stepping = nowMs();
    uint32_t before = watcher.tick();
    bool catchingUp = result.liveMs < 0;
    watcher.poll(nowMs());
    if (catchingUp && watcher.tick() > before) {
      result.caughtUpTicks += watcher.tick() - before;
      result.catchUpStepMs += nowMs() - stepping;
    }
    WatchEvent event;
    while (watcher.nextEvent(event)) {
      if (event.type == WatchEvent::Type::Live && result.liveMs < 0)
        result.liveMs = nowMs() - connected;
      if (event.type == WatchEvent::Type::Ended) {
        ++result.games;
        result.end = event.end.end;
        result.replay = watcher.replay();
        result.replayParting = watcher.replayParting();
        result.endLines = endLines(watcher.game());
      }
      if (event.type == WatchEvent::Type::TurnedAway) result.turnedAway = true;
      if (event.type == WatchEvent::Type::Closed) result.closed = true;
    }
    pause();
  }
  result.watchedMs = nowMs() - connected;
  result.bytesReceived = watcher.bytesReceived();
  link->close();
  for (int i = 0; i < 20; ++i) link->service(nowMs());
  return result;
}
