#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "NetGame.h"
#include "Replay.h"
#include "TickInput.h"
#include "Transport.h"

class NetSession;
class WatchFeed;
struct SessionEvent;
struct SessionStats;

// Why a network match ended.
enum class MatchEnd : uint8_t {
  GameOver,    // the rules ended it; the event names the winner, if any
  LocalLeft,   // this side's player left
  RemoteLeft,  // the other player left
  Lost,        // nothing was heard for too long
  Gone,        // the connection closed under the match without a word
  Parted,      // the two sides' games parted: the match was stopped
  BadSetup,    // the host's setup made no game here
};

struct MatchEvent {
  enum class Type : uint8_t {
    Started,      // both sides have the setup: ticks run
    Interrupted,  // nothing heard for a while
    Resumed,      // heard again
    Desync,       // the two games parted at `tick`; an Ended (Parted) follows
    Ended,        // for `end`, at `tick`
  };
  Type type = Type::Started;
  uint32_t tick = 0;
  MatchEnd end = MatchEnd::GameOver;
  int winner = -1;       // Ended: the side (0 the host, 1 the guest) that won; -1 for nobody
  int64_t silentMs = 0;  // Ended, Lost: how long nothing was heard
};

struct MatchConfig {
  bool host = true;
  GameSetup setup{GameMode::Versus};  // the host's choice of rows and banks; the guest's unused
  std::string program;                // the version a replay of the match names
};

// One "2p Versus" match over a link, whoever made the link: the game behind a rollback
// session, the local player's presses, leaving as an input both sides play, the end and its
// winner, and the replay both sides keep alike. It knows no screen and no clock of its own:
//
//   match.poll(now, pressedSinceLastPoll);
//   while (match.nextEvent(event)) ...
//   draw match.game(), play match.takeSounds(), until match.finished()
class NetMatch {
public:
  // A player's leaving that does not end the game through the link within this long ends
  // it at once; the other side then learns of it by the session's own message or silence.
  static constexpr int64_t LeaveWaitMs = 1500;
  // A game that ended waits this long for the other side to have all it needs from this one.
  static constexpr int64_t FarewellMs = 3000;

  NetMatch(Link& link, const MatchConfig& config, int64_t now);
  ~NetMatch();
  NetMatch(const NetMatch&) = delete;
  NetMatch& operator=(const NetMatch&) = delete;

  // Services the link, steps every tick that is due and sends what is due. `local` is what
  // the player at this machine pressed since the last poll: it goes into the next tick.
  void poll(int64_t now, const TickInput& local);
  // The player at this machine leaves: the game ends on both sides, the other player winning.
  void leave();
  bool nextEvent(MatchEvent& event);

  // Asked for each tick as it is first stepped, with the game as this side then sees it:
  // what a player who presses by the tick (the computer) adds to the presses of poll.
  std::function<TickInput(const Game&)> eachTick;
  // Told of every tick both sides agreed on, with the game after it.
  std::function<void(uint32_t tick, const Game& agreed)> eachAgreed;
  // The host's watchers, when it serves any: told of each game, agreed tick and end.
  WatchFeed* feed = nullptr;

  int localSide() const { return config.host ? 0 : 1; }
  bool started() const { return started_; }
  bool ended() const { return ended_; }
  // Ended, and the other side has all it needs from this one (or never will hear it): the
  // match and its link may be dropped.
  bool finished() const;
  // As this side sees it now, guesses included; once ended, the game both sides agreed on,
  // as its replay plays it.
  const Game& game() const { return ended_ && started_ ? finalGame : netGame.game; }
  // What the ticks made heard since the last call, each tick once, in order.
  std::vector<HeardSound> takeSounds();
  // Once ended (and started): the replay of the ticks both sides agreed on, to the end.
  const Replay& replay() const { return kept; }
  // The replay, played as it was kept, parted from the game that was played (never, unless
  // something is badly wrong): the witness's words, else "".
  const std::string& replayParting() const { return parting; }
  const SessionStats& stats() const;
  uint32_t tick() const;

private:
  void take(const SessionEvent& ending);
  void end(MatchEnd why, uint32_t passes, uint32_t tick, int winner);
  void keepReplay(uint32_t passes);

  Link& link;
  MatchConfig config;
  NetGame netGame;
  std::unique_ptr<NetSession> session;
  std::deque<MatchEvent> events;

  int64_t now = 0;
  TickInput pending;  // pressed since the last tick
  bool leaving = false;
  int64_t leftAt = -1;  // when leaving went out as an input
  bool parted = false;
  bool started_ = false;
  bool ended_ = false;
  bool farewell = true;  // whether the other side may still want to hear from this one
  int64_t endedAt = 0;
  int64_t silence = 0;  // before a lost connection was given up

  Game confirmed;  // the game stepped on the ticks both sides agree on, for the replay
  Replay kept;
  Game finalGame;
  std::string parting;
};
