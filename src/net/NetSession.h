#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <vector>

#include "NetMessage.h"
#include "RollbackGame.h"
#include "Transport.h"

// Ticks a side may step on a guess of the other side's inputs before it waits for them.
constexpr int MaxPredictedTicks = 15;

struct SessionConfig {
  bool host = true;            // the host chooses the game and plays side 0
  std::vector<uint8_t> setup;  // the host's choice, handed to RollbackGame::begin on both sides
  int commandLimit = 256;      // the game's command codes are 0..commandLimit-1
};

enum class SessionEventType : uint8_t {
  Started,      // both sides have the setup; ticks run
  Interrupted,  // the game has not moved on for a while: no new inputs, nothing acknowledged
  Resumed,      // it moves on again after an interruption
  Desync,       // the two sides' games differ at `tick`
  Ended,        // for `reason`, at `tick`; byRemote when the other side said so
};

struct SessionEvent {
  SessionEventType type = SessionEventType::Started;
  uint32_t tick = 0;
  EndReason reason = EndReason::GameOver;
  bool byRemote = false;
};

// What a session measured; judged by nobody but the reader of a benchmark.
struct SessionStats {
  int inputDelay = 0;   // ticks
  int roundTripMs = 0;  // the latest estimate
  uint32_t rollbacks = 0;
  uint32_t rollbackDepths[MaxPredictedTicks + 1] = {};  // how many rollbacks went back n ticks
  uint64_t resteppedTicks = 0;
  uint32_t stalls = 0;  // waits for the other side's inputs with a tick due
  int64_t longestStallMs = 0;
  int64_t totalStallMs = 0;
  uint32_t slowedTicks = 0;    // ticks stretched to let the other side catch up
  int64_t agreedAfterMs = -1;  // from the start until both clocks agreed within a tick
  uint64_t bytesSent = 0;
  uint64_t bytesReceived = 0;
  uint64_t packetsSent = 0;
  uint64_t packetsReceived = 0;
  uint32_t badPackets = 0;  // dropped undecoded
};

// One side of a two-player game kept in step over a link, rollback style: the local
// player's inputs take effect after a short delay, the other player is guessed to press
// nothing until their inputs arrive, and a wrong guess is put right by loading the state of
// that tick and stepping the ticks since again. Driven by the caller's clock:
//
//   session.poll(now);
//   while (session.ready()) session.advance(whatTheLocalPlayerPressed());
//   while (session.nextEvent(event)) ...
class NetSession {
public:
  static constexpr int64_t InterruptedAfterMs = 750;
  static constexpr int64_t LostAfterMs = 10000;
  // The start (the host's setup and the guest's acknowledgement) gives up after this.
  static constexpr int64_t StartLimitMs = 10000;
  static constexpr uint32_t DigestInterval = 30;  // ticks between digests of confirmed ticks

  NetSession(RollbackGame& game, Transport& transport, const SessionConfig& config, int64_t now);

  // Reads what arrived, settles the game on any corrected inputs, sends what is due and
  // watches the silence. Call often (every frame).
  void poll(int64_t now);
  // True when the next tick is due by the clock given to poll and the other side is not
  // too far behind.
  bool ready();
  // Steps the next tick, the local player having pressed `local`. Only after ready().
  void advance(const TickInput& local);
  // The local player leaves: the game ends on both sides.
  void abandon();
  bool nextEvent(SessionEvent& event);

  enum class Phase { Syncing, Running, Ended };
  Phase phase() const { return phase_; }
  int localSide() const { return side; }
  uint32_t tick() const { return current; }  // the next tick to step
  uint32_t confirmedTicks() const { return confirmedNext; }
  // Ended, and the other side has everything it needs from this one (or gave up): the
  // session may be dropped.
  bool done() const;
  const SessionStats& stats() const { return stats_; }
  // Digests and events waiting in the session: bounded, whatever arrives.
  size_t heldItems() const { return events.size() + localDigests.size() + remoteDigests.size(); }

  // The input delay for a measured round trip.
  static int inputDelayFor(int roundTripMs);

private:
  static constexpr int Ring = 128;  // ticks of inputs kept: twice what may be unacknowledged
  static constexpr uint32_t NoRollback = UINT32_MAX;

  void handle(const NetMessage& message);
  void handleInputs(const NetMessage& message);
  void start(int64_t firstTickAt);
  void settle();
  void stepTick(uint32_t t);
  void confirm();
  TickInputs inputsFor(uint32_t t) const;
  void sendInputs();
  void send(Channel channel, const NetMessage& message);
  void noteRoundTrip(int64_t sample);
  // Keeps `digest` in `digests` until the other side's for the same tick (in `others`) is
  // known, then compares them.
  void noteDigest(std::map<uint32_t, uint64_t>& digests, std::map<uint32_t, uint64_t>& others,
                  uint32_t tick, uint64_t digest);
  void reportDesync(uint32_t tick);
  void finish(EndReason reason, uint32_t tick, bool byRemote);
  void push(const SessionEvent& event);
  // The other side moved the game on (or, before the start, answered at all).
  void progressed();

  RollbackGame& game;
  Transport& transport;
  SessionConfig config;
  int side;
  Phase phase_ = Phase::Syncing;
  SessionStats stats_;

  int64_t now = 0;
  int64_t createdAt = 0;
  int64_t startedAt = 0;
  // A packet proves only that someone is there: a peer that pings but sends no inputs
  // would freeze the game as long as it liked. In play, what counts is the other side's
  // progress.
  int64_t lastProgressAt = 0;
  int64_t lastSendAt = 0;
  int64_t lastPingAt = 0;
  uint32_t quietTicks = 0;  // ticks since inputs were last sent
  bool interrupted = false;
  bool setupSent = false;
  std::vector<int64_t> syncRoundTrips;
  int roundTrip = 0;
  int delay = 1;

  uint32_t current = 0;                // next tick to step
  uint32_t localNext = 0;              // first tick without a local input
  uint32_t remoteNext = 0;             // first tick without the other side's input
  uint32_t remoteAck = 0;              // the other side has our inputs before this tick
  uint32_t confirmedNext = 0;          // first tick not yet confirmed
  uint32_t steppedNext = 0;            // first tick never stepped
  uint32_t rollbackFrom = NoRollback;  // first tick stepped on a wrong guess
  TickInput localInputs[Ring];
  TickInput remoteInputs[Ring];
  bool overAfter[Ring] = {};
  uint64_t digestAfter[Ring] = {};

  int64_t nextTickAt = 0;
  bool stalling = false;
  int64_t stallSince = 0;
  double localAdvantage = 0;   // ticks we seem ahead, as seen from here
  double remoteAdvantage = 0;  // ticks the other side seems ahead, as it sees it
  uint32_t advantageSamples = 0;
  bool slowing = false;

  bool heardRemoteClock = false;
  uint16_t remoteClock = 0;   // the other side's newest sendTime ...
  int64_t remoteClockAt = 0;  // ... and when it came

  std::map<uint32_t, uint64_t> localDigests;   // confirmed digests awaiting the other side's
  std::map<uint32_t, uint64_t> remoteDigests;  // the other side's awaiting ours
  bool desyncReported = false;
  bool remoteEnded = false;
  uint32_t remoteEndTick = 0;
  uint64_t remoteEndDigest = 0;
  EndReason endReason = EndReason::GameOver;
  uint32_t endTick = 0;
  int64_t lingerUntil = 0;

  std::deque<SessionEvent> events;
};
