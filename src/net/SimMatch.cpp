#include "SimMatch.h"

#include <chrono>

namespace {
using Clock = std::chrono::steady_clock;
}

SimMatchResult runSimMatch(RollbackGame& host, RollbackGame& guest,
                           const std::function<TickInput(int side)>& inputFor,
                           const SimMatchOptions& options) {
  SimLink link(options.link);
  SessionConfig configs[2];
  configs[0].host = true;
  configs[0].setup = options.setup;
  configs[1].host = false;
  for (SessionConfig& config : configs) config.commandLimit = options.commandLimit;
  NetSession hostSession(host, link.end(0), configs[0], 0);
  NetSession guestSession(guest, link.end(1), configs[1], 0);
  NetSession* sessions[2] = {&hostSession, &guestSession};

  SimMatchResult result;
  int64_t now = 0;
  for (; now < options.timeLimitMs; ++now) {
    link.setTime(now);
    if (options.everyMs) options.everyMs(now, link, sessions);
    for (int side = 0; side < 2; ++side) {
      NetSession& session = *sessions[side];
      uint64_t resteppedBefore = session.stats().resteppedTicks;
      // The session's own work, without the players' thinking.
      std::chrono::duration<double, std::milli> spent{0};
      auto start = Clock::now();
      session.poll(now * options.clockPermille[side] / 1000);
      spent += Clock::now() - start;
      while (session.ready()) {
        TickInput input = inputFor(side);
        start = Clock::now();
        session.advance(input);
        spent += Clock::now() - start;
      }
      if (options.timeFrames && session.stats().resteppedTicks != resteppedBefore)
        result.resteppingFrameMs.push_back(spent.count());
      SessionEvent event;
      while (session.nextEvent(event)) result.events[side].push_back(event);
    }
    if (hostSession.done() && guestSession.done()) {
      result.done = true;
      break;
    }
  }
  result.durationMs = now;
  for (int side = 0; side < 2; ++side) {
    result.stats[side] = sessions[side]->stats();
    result.sent[side] = link.sent(side);
    result.ticks[side] = sessions[side]->tick();
  }
  return result;
}

const SessionEvent* findEvent(const std::vector<SessionEvent>& events, SessionEventType type) {
  for (const SessionEvent& event : events)
    if (event.type == type) return &event;
  return nullptr;
}
