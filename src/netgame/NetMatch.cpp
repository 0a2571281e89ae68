#include "NetMatch.h"

#include "NetSession.h"
#include "Watching.h"

NetMatch::NetMatch(Link& link, const MatchConfig& config, int64_t now)
    : link(link), config(config), now(now) {
  SessionConfig sessionConfig;
  sessionConfig.host = config.host;
  if (config.host) sessionConfig.setup = NetGame::setupBytes(config.setup);
  sessionConfig.commandLimit = NetGame::CommandLimit;
  session = std::make_unique<NetSession>(netGame, link, sessionConfig, now);
  kept.program = config.program;
  netGame.onConfirmed = [this](uint32_t tick, const TickInputs& inputs) {
    // The first tick may be confirmed before the start is told: the game begins here.
    if (tick == 0) {
      confirmed = Game(netGame.game.setup);
      kept.setup = netGame.game.setup;
      if (feed) feed->beginGame(kept.setup);
    }
    PassInput pass = NetGame::passOf(inputs);
    StepEvents unheard;  // heard already, as the ticks were first stepped
    if (confirmed.state != Over) confirmed.step(tickLength(tick), pass, unheard);
    kept.record(tickLength(tick), pass, confirmed);
    if (feed) feed->confirmed(tick, inputs);
    if (eachAgreed) eachAgreed(tick, confirmed);
  };
}

NetMatch::~NetMatch() = default;

const SessionStats& NetMatch::stats() const {
  return session->stats();
}

uint32_t NetMatch::tick() const {
  return session->tick();
}

void NetMatch::leave() {
  leaving = true;
}

bool NetMatch::finished() const {
  return ended_ && (!farewell || session->done() || now - endedAt >= FarewellMs);
}

std::vector<HeardSound> NetMatch::takeSounds() {
  std::vector<HeardSound> heard;
  heard.swap(netGame.sounds);
  return heard;
}

bool NetMatch::nextEvent(MatchEvent& event) {
  if (events.empty()) return false;
  event = events.front();
  events.pop_front();
  return true;
}

void NetMatch::poll(int64_t time, const TickInput& local) {
  now = time;
  using Phase = NetSession::Phase;
  if (!leaving)
    for (int i = 0; i < local.count; ++i) pending.add(local.commands[i]);
  // Leaving travels as an input, so that both sides end the game at the same tick and keep
  // the same replay; a link that carries nothing any more is left at once.
  if (leaving && leftAt < 0 && session->phase() == Phase::Running) {
    pending = TickInput();
    pending.add(Command::AbortGame);
    leftAt = now;
  }
  if (leaving && session->phase() != Phase::Ended &&
      (session->phase() != Phase::Running || now - leftAt > LeaveWaitMs))
    session->abandon();

  link.service(now);
  session->poll(now);
  while (session->ready()) {
    if (eachTick && !leaving) {
      TickInput more = eachTick(netGame.game);
      for (int i = 0; i < more.count; ++i) pending.add(more.commands[i]);
    }
    session->advance(pending);
    pending = TickInput();
  }
  SessionEvent event;
  while (session->nextEvent(event)) {
    switch (event.type) {
      case SessionEventType::Started:
        started_ = true;
        events.push_back({MatchEvent::Type::Started, 0});
        break;
      case SessionEventType::Interrupted:
        events.push_back({MatchEvent::Type::Interrupted, event.tick});
        break;
      case SessionEventType::Resumed:
        events.push_back({MatchEvent::Type::Resumed, event.tick});
        break;
      case SessionEventType::Desync:
        parted = true;
        kept.note = "the two sides' games parted at tick " + std::to_string(event.tick);
        events.push_back({MatchEvent::Type::Desync, event.tick});
        session->abandon();
        break;
      case SessionEventType::Ended:
        take(event);
        break;
    }
  }
  // The other side closed the connection without a word (or never started): nobody is left
  // to play with, and nobody to wait for.
  if (!ended_ && link.gone()) {
    farewell = false;
    end(MatchEnd::Gone, session->confirmedTicks(), session->confirmedTicks(), -1);
  }
}

// The session's end, told as who won and why.
void NetMatch::take(const SessionEvent& ending) {
  if (ended_) return;
  bool byRemote = ending.byRemote;
  int other = 1 - localSide();
  if (parted) return end(MatchEnd::Parted, ending.tick, ending.tick, -1);
  switch (ending.reason) {
    case EndReason::GameOver: {
      // The confirmed game is the one both sides hold: it names the winner.
      bool alive[2] = {confirmed.players[0].alive, confirmed.players[1].alive};
      if (alive[0] && alive[1]) {
        // Nobody topped out: a player's leaving reached the game as its input.
        bool left = leftAt >= 0;
        return end(left ? MatchEnd::LocalLeft : MatchEnd::RemoteLeft, ending.tick + 1, ending.tick,
                   left ? other : localSide());
      }
      int winner = alive[0] ? 0 : alive[1] ? 1 : -1;
      return end(MatchEnd::GameOver, ending.tick + 1, ending.tick, winner);
    }
    case EndReason::Abandoned:
      return end(byRemote ? MatchEnd::RemoteLeft : MatchEnd::LocalLeft, ending.tick, ending.tick,
                 byRemote ? localSide() : other);
    case EndReason::Lost:
      farewell = false;
      silence = started_ ? NetSession::LostAfterMs : NetSession::StartLimitMs;
      return end(MatchEnd::Lost, ending.tick, ending.tick, -1);
    case EndReason::BadSetup:
      return end(MatchEnd::BadSetup, 0, 0, -1);
  }
}

void NetMatch::end(MatchEnd why, uint32_t passes, uint32_t tick, int winner) {
  ended_ = true;
  endedAt = now;
  kept.seat = localSide();
  if (why == MatchEnd::LocalLeft) kept.leaver = localSide();
  if (why == MatchEnd::RemoteLeft) kept.leaver = 1 - localSide();
  if (started_) keepReplay(passes);
  if (started_ && feed) feed->endGame({why, passes, tick, winner, kept.leaver});
  MatchEvent ended{MatchEvent::Type::Ended, tick, why, winner, silence};
  events.push_back(ended);
}

// The replay holds the ticks both sides agreed on, up to the tick where the game ended for
// both; a game that the rules did not end by then ends there, as an abandoned one.
void NetMatch::keepReplay(uint32_t passes) {
  parting = finishNetReplay(kept, passes, finalGame);
}
