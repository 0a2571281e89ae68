#include "FramePacer.h"

#include <SDL.h>

FramePacer::FramePacer(double refreshHz)
    : framePeriodMs(1000.0 / (refreshHz > 0 ? refreshHz : DefaultRefreshHz)) {}

int FramePacer::millisecondsToWait(double sinceLastFrameMs, double framePeriodMs) {
  double rest = framePeriodMs - sinceLastFrameMs;
  return rest >= 1 ? int(rest) : 0;
}

void FramePacer::frameShown() {
  Clock::time_point now = Clock::now();
  if (started) {
    double since = std::chrono::duration<double, std::milli>(now - lastFrame).count();
    int wait = millisecondsToWait(since, framePeriodMs);
    if (wait > 0) {
      SDL_Delay(Uint32(wait));
      now = Clock::now();
    }
  }
  lastFrame = now;
  started = true;
}

void FramePacer::handle(int, void*, MessageBus*) {
  frameShown();
}
