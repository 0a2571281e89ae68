#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "NetSession.h"
#include "SimLink.h"

struct SimMatchOptions {
  LinkConditions link;
  std::vector<uint8_t> setup;  // the host's
  int commandLimit = 256;
  int64_t timeLimitMs = 30 * 60 * 1000;
  // How fast each side's clock runs against the other's, per thousand: two machines'
  // clocks never quite agree.
  int clockPermille[2] = {1000, 1000};
  // Called every simulated millisecond before the sessions poll: cut the link, abandon.
  std::function<void(int64_t now, SimLink& link, NetSession* sessions[2])> everyMs;
  // Time the session's work in each frame (a millisecond's poll and advances) that stepped
  // ticks again.
  bool timeFrames = false;
};

struct SimMatchResult {
  std::vector<SessionEvent> events[2];
  SessionStats stats[2];
  SimLink::Traffic sent[2];
  uint32_t ticks[2] = {0, 0};             // ticks each side stepped
  int64_t durationMs = 0;                 // until both sessions were done, or the time limit
  bool done = false;                      // both sessions done within the time limit
  std::vector<double> resteppingFrameMs;  // the session's time in frames that stepped again
};

// Two sessions, host and guest, joined by a simulated link and driven millisecond by
// millisecond until both are done. `inputFor(side)` is asked for the input of each tick a
// side steps, before it steps it.
SimMatchResult runSimMatch(RollbackGame& host, RollbackGame& guest,
                           const std::function<TickInput(int side)>& inputFor,
                           const SimMatchOptions& options);

// The first event of `type` in `events`, or null.
const SessionEvent* findEvent(const std::vector<SessionEvent>& events, SessionEventType type);
