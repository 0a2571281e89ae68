// Two players meeting over one simulated link, host and guest, the computer at both sides'
// keys: the network match as the match tests, the screens' tests and the results' tests
// all need it, driven millisecond by millisecond.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "HeadlessGame.h"
#include "NetMatch.h"
#include "SimLink.h"

struct Meeting {
  static constexpr int64_t MatchLimitMs = 20 * 60 * 1000;

  explicit Meeting(const LinkConditions& conditions, const int (&levels)[2] = {3, 4})
      : link(conditions) {
    for (int side = 0; side < 2; ++side) {
      MatchConfig config;
      config.host = side == 0;
      config.setup = HeadlessGame::setupFor(GameMode::Versus, 4000 + conditions.randomStart);
      config.program = "9.9";
      matches[side] = std::make_unique<NetMatch>(link.end(side), config, now);
      computers[side] = std::make_unique<ComputerInput>(side, levels[side], 10 + side);
      matches[side]->eachTick = [this, side](const Game& game) {
        return playing[side] ? computers[side]->next(game) : TickInput();
      };
    }
  }

  // Runs until `done`, or the limit; `each` is called every millisecond before the polls.
  bool runUntil(const std::function<bool()>& done, int64_t limitMs = MatchLimitMs,
                const std::function<void()>& each = {}) {
    for (int64_t end = now + limitMs; now < end; ++now) {
      if (done()) return true;
      link.setTime(now);
      if (each) each();
      for (int side = 0; side < 2; ++side) {
        if (matches[side]->finished()) continue;
        matches[side]->poll(now, TickInput());
        for (MatchEvent event; matches[side]->nextEvent(event);) events[side].push_back(event);
      }
    }
    return done();
  }
  bool runToTheEnd(int64_t limitMs = MatchLimitMs) {
    return runUntil([this] { return bothFinished(); }, limitMs);
  }
  bool bothFinished() const { return matches[0]->finished() && matches[1]->finished(); }
  const MatchEvent* ending(int side) const {
    for (const MatchEvent& event : events[side])
      if (event.type == MatchEvent::Type::Ended) return &event;
    return nullptr;
  }
  bool started() const { return matches[0]->started() && matches[1]->started(); }

  int64_t now = 0;
  SimLink link;
  std::unique_ptr<NetMatch> matches[2];
  std::unique_ptr<ComputerInput> computers[2];
  bool playing[2] = {true, true};
  std::vector<MatchEvent> events[2];
};
