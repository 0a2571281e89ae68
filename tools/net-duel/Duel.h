#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "NetMatch.h"
#include "NetSession.h"
#include "Replay.h"
#include "Watching.h"

// One side of a network game with the computer at the keys and no window, over real ENet
// sockets on this machine: what net-duel plays, and net-bench's runs over real sockets.
struct DuelOptions {
  uint16_t hostPort = 0;  // the host listens here on the loopback address...
  std::string join;       // ... or the joiner finds it at "HOST:PORT"
  int level = 3;          // of the computer at the keys
  uint32_t start = 1;     // of the rows (the host's) and of the computer's choices
  std::string version;    // the program's, unless playing another to be turned away
  int watchDelay = 0;     // the host holds its watchers this many seconds behind
  // Met through a Pigmora server at "HOST:PORT" instead: hosting with a code, joining with
  // `code`, or a quick match; `relayed` skips the direct ways.
  std::string server;
  enum class Way { Host, Join, Quick } way = Way::Host;
  std::string code;
  bool relayed = false;
  bool meetOnly = false;  // part once connected, with no game: for counting connections
  // Told the code as soon as it is known ("code: K7M-X2Q") and the way the game went
  // ("path: direct"), each as one line.
  std::function<void(const std::string& line)> say;
};

// A watcher of a net-duel pair: connects to the host's port for watchers at "HOST:PORT" (the
// game's port), or with `server` asks that Pigmora server for the game shown with the code
// `address`; follows every game to the players' end and keeps the last one's replay.
struct WatchResult {
  std::string problem;  // why nothing was watched
  bool turnedAway = false;
  bool closed = false;  // the players' connection ended and the watcher was told
  int games = 0;
  MatchEnd end = MatchEnd::Lost;
  int64_t connectMs = -1;
  int64_t liveMs = -1;         // from connected until caught up with the host
  uint32_t caughtUpTicks = 0;  // stepped while catching up ...
  int64_t catchUpStepMs = 0;   // ... and the wall time that stepping took
  int64_t watchedMs = 0;
  uint64_t bytesReceived = 0;  // the feed's own bytes
  std::string endLines;
  std::string replayParting;
  Replay replay;
};

WatchResult watchDuel(const std::string& address, const std::string& version = "",
                      const std::string& server = "");

struct DuelResult {
  enum class Outcome { NoGame, GameOver, OtherEnd } outcome = Outcome::NoGame;
  std::string problem;  // why there was no game
  MatchEnd end = MatchEnd::Lost;
  int desyncs = 0;
  SessionStats stats;
  int64_t connectMs = -1;    // from the start until the link was up
  int64_t firstTickMs = -1;  // from then until the first tick
  int64_t playedMs = 0;      // from the link up to the end
  uint32_t ticks = 0;
  uint64_t wireBytesSent = 0;   // with ENet's headers, acknowledgements and pings
  uint64_t watchWireBytes = 0;  // host: sent to watchers, ENet's headers and all
  FeedStats feed;               // host
  std::string endLines;         // as the replay stores them
  std::string replayParting;    // how the replay parts from the game played, if it does
  Replay replay;
};

DuelResult playDuel(const DuelOptions& options);
