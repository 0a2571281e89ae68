#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "NetGame.h"
#include "NetMatch.h"
#include "Replay.h"
#include "TickInput.h"
#include "Transport.h"

// Watching a network game: the host serves the game's setup and every tick both players have
// agreed on, from the first, to whoever watches; a watcher steps them without drawing until it
// has caught up, then follows as they come. Only agreed ticks travel, so a watcher never sees
// a guess taken back, and nothing a watcher sends reaches the players' game.

// Where a host waits for watchers: the port after its game's.
constexpr uint16_t WatchPortOffset = 1;
// What the host tells a watcher it has no room for.
constexpr const char* WatchersFullText = "This game already has as many watchers as it can take";

// How the host's end of a game is told to its watchers, for them to end it alike.
struct WatchedEnd {
  MatchEnd end = MatchEnd::GameOver;
  uint32_t passes = 0;  // the replay keeps this many ticks
  uint32_t tick = 0;
  int winner = -1;
  int leaver = -1;
};

struct FeedStats {
  uint64_t bytesSent = 0;   // to all watchers, the feed's own bytes
  uint32_t turnedAway = 0;  // came when every place was taken
  uint32_t dropped = 0;     // fell too far behind or stopped reading
  uint32_t refused = 0;     // packets from watchers that were anything but a progress report
};

// The host's side: serves up to MostWatchers over links of their own. Never blocks and never
// waits for a watcher: the players' game goes on whatever the watchers do.
class WatchFeed {
public:
  static constexpr size_t MostWatchers = 8;
  // Ticks sent ahead of what a watcher has said it has: the most a watcher holds of the
  // host's memory and its link's queue (a minute of play, a few kilobytes).
  static constexpr uint32_t WindowTicks = 3600;
  // A watcher with ticks on their way that reports no progress for this long is dropped.
  static constexpr int64_t StallLimitMs = 10000;
  // The hold-back a host may put between the players and the watchers.
  static constexpr int MostDelaySeconds = 120;
  // A watcher told all, or turned away, has this long to hang up before the feed does.
  static constexpr int64_t PartingMs = 3000;

  // `most` watchers are served at once: MostWatchers by a host, more by a server.
  explicit WatchFeed(int delaySeconds = 0, size_t most = MostWatchers);
  ~WatchFeed();
  WatchFeed(const WatchFeed&) = delete;
  WatchFeed& operator=(const WatchFeed&) = delete;

  // A watcher came over `link`, which must outlive its place here (see serves). Turned away
  // with WatchersFullText when every place is taken; past twice as many places (those on
  // their way out among them), closed at once.
  void add(Link& link, int64_t now);
  // The match tells these (NetMatch::feed): a game began, one more tick was agreed, it ended.
  void beginGame(const GameSetup& setup);
  // A game passed on from another feed: its setup as sent, and the hold-back that feed keeps.
  void beginGame(const std::vector<uint8_t>& setup, int toldDelaySeconds);
  void confirmed(uint32_t tick, const TickInputs& inputs);
  void endGame(const WatchedEnd& end);
  // The players' connection ended: watchers are told once they have all the games.
  void close();

  // Reads what the watchers sent and sends them what is due; call every frame.
  void poll(int64_t now);
  // Watchers served (not counting those told all or turned away, on their way out).
  size_t watchers() const;
  bool serves(const Link& link) const;
  // Nobody served, told or turned away is left.
  bool idle() const { return places.empty(); }
  // Every watcher has had all of every game that ended.
  bool toldAll() const;
  const FeedStats& stats() const { return stats_; }
  int delaySeconds() const { return delayMs / 1000; }
  // Games held: the one being played, and those a watcher has not yet had all of.
  size_t gamesHeld() const;

private:
  struct Served;
  struct Place;
  void serve(Place& place, int64_t now);
  uint32_t released(const Served& game, int64_t now) const;
  void send(Place& place, const std::vector<uint8_t>& bytes);
  void forgetOldGames();

  int64_t delayMs;
  size_t most;
  int64_t now = 0;
  std::deque<Served> games;
  uint32_t firstGame = 0;  // the number of games.front()
  bool closed = false;
  int64_t closedAt = 0;
  std::vector<Place> places;
  FeedStats stats_;
};

struct WatchEvent {
  enum class Type : uint8_t {
    Started,     // a game began (the first, or a rematch)
    Live,        // caught up with what the host has sent
    Ended,       // the game ended as `end` says; its replay is kept
    Closed,      // the players' connection ended: nothing more comes
    TurnedAway,  // the host has no room
    Lost,        // the host went without a word
  };
  Type type = Type::Started;
  WatchedEnd end;
};

// A server's part in watching: reads one host's feed over `host` (as a watcher does, without
// playing it) and passes it on to up to `most` watchers of its own, so that the host sends
// its games once however many watch. Whatever the host sends beyond a game of `mostTicks`
// or out of turn ends the show.
class FeedRelay {
public:
  // Games held at once: the one played and the last one, which a late watcher may still be
  // finishing. A host that begins another before every watcher is done with the one before
  // is one no game needs: the show ends.
  static constexpr size_t MostGamesHeld = 2;

  FeedRelay(Link& host, size_t most, uint32_t mostTicks);
  // Reads the host's feed and serves the watchers; call every frame (the links are serviced
  // by their owner).
  void poll(int64_t now);
  // The host's link is gone and every watcher has been told all (or let go).
  bool done() const { return hostLeft && feed.idle(); }
  bool hostGone() const { return hostLeft; }
  WatchFeed feed;

private:
  bool take(const std::vector<uint8_t>& packet);
  Link& host;
  uint32_t mostTicks;
  uint32_t gameNumber = 0;
  bool inGame = false;
  bool endHeard = false;
  uint32_t received = 0;
  uint32_t reported = UINT32_MAX;
  int64_t reportedAt = 0;
  bool hostLeft = false;
};

// The watcher's side: follows the games the host serves, keeps each as a replay.
class Watcher {
public:
  // Ticks a watcher keeps received and not yet stepped (an hour of play): past that it stops
  // saying it has them, and the host drops it.
  static constexpr size_t MostHeldTicks = 60 * 60 * 60;
  // A step of more ticks than this at once is catching up: its sounds are not played.
  static constexpr size_t HeardWithin = 10;

  Watcher(Link& link, std::string program);

  // Reads what came; while `following`, steps every tick that came (a paused view steps
  // nothing and catches up when it follows again).
  void poll(int64_t now, bool following = true);
  bool nextEvent(WatchEvent& event);

  bool started() const { return started_; }
  // The host's hold-back, in seconds, as the last game's start said.
  int delaySeconds() const { return delay_; }
  bool done() const { return done_; }
  const Game& game() const { return netGame.game; }
  uint32_t tick() const { return stepped; }
  // Ticks that came and wait to be stepped.
  size_t behind() const { return held.size(); }
  // Of the last game that ended.
  const Replay& replay() const { return kept; }
  const std::string& replayParting() const { return parting; }
  std::vector<HeardSound> takeSounds();
  uint32_t refusedPackets() const { return refused; }
  uint64_t bytesReceived() const { return bytesIn; }
  // Told of every tick stepped, with the game after it.
  std::function<void(uint32_t tick, const Game& game)> eachTick;

private:
  void take(const std::vector<uint8_t>& packet);
  void stepHeld(bool following);
  void finishGame();

  Link& link;
  std::string program;
  NetGame netGame;
  std::deque<TickInputs> held;
  std::deque<WatchEvent> events;
  uint32_t gameNumber = 0;
  bool inGame = false;
  bool started_ = false;
  bool done_ = false;
  bool live = false;
  bool endHeard = false;
  WatchedEnd end;
  uint32_t received = 0;  // ticks of this game that came
  int delay_ = 0;
  uint32_t edge = 0;  // ticks the host had for watchers when it last sent
  uint32_t stepped = 0;
  uint32_t reported = UINT32_MAX;
  int64_t reportedAt = 0;
  uint32_t refused = 0;
  uint64_t bytesIn = 0;
  Replay kept;
  std::string parting;
};

// The replay a network game keeps: the ticks both sides agreed on, cut at `passes`, ended as
// an abandoned game where the rules had not ended it. Leaves `game` as it ended.
std::string finishNetReplay(Replay& replay, uint32_t passes, Game& game);
