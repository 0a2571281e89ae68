#pragma once

#include <chrono>

#include "Listener.h"

// Keeps a loop that draws and flips from outrunning the display. When the flip waited
// for the display's refresh there is nothing left to wait for; when it came back at once
// (no vertical sync to be had) the rest of the display's frame is slept away, so a game
// never spins a core. Game time comes from the clock, so play is the same either way.
class FramePacer : public Listener {
public:
  // The rate to assume when the display's own cannot be read.
  static constexpr double DefaultRefreshHz = 60;

  explicit FramePacer(double refreshHz = DefaultRefreshHz);

  // Call right after each flip.
  void frameShown();
  // RenderFrame, subscribed after the display so that it follows the flip.
  void handle(int id, void* data, MessageBus* bus) override;

  // Whole milliseconds still to wait when the last frame was shown that long ago.
  static int millisecondsToWait(double sinceLastFrameMs, double framePeriodMs);

private:
  using Clock = std::chrono::steady_clock;
  double framePeriodMs;
  Clock::time_point lastFrame;
  bool started = false;
};
