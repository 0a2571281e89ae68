#include "EventScript.h"

namespace {
// Long enough for a menu to redraw and start waiting again between two events.
constexpr Uint32 Gap = 40;
constexpr Uint32 SettleTime = 15;
}  // namespace

EventScript& EventScript::add(const SDL_Event& event) {
  steps.push_back({event, Gap + pendingDelay});
  pendingDelay = 0;
  return *this;
}

EventScript& EventScript::pause(Uint32 ms) {
  pendingDelay += ms;
  return *this;
}

void EventScript::start() {
  next = 0;
  due = SDL_GetTicks() + (steps.empty() ? 0 : steps[0].delay);
  timer = SDL_AddTimer(10, tick, this);
}

void EventScript::stop() {
  if (timer) SDL_RemoveTimer(timer);
  timer = nullptr;
}

bool EventScript::finished() const {
  return next >= steps.size();
}

Uint32 EventScript::tick(Uint32 interval, void* self) {
  EventScript& script = *static_cast<EventScript*>(self);
  if (script.finished() || SDL_GetTicks() < script.due) return interval;
  // Only once the previous event has been taken off the queue, and a little while ago:
  // a menu opened by it must have had time to clear the queue before it waits.
  SDL_Event waiting;
  Uint32 now = SDL_GetTicks();
  if (SDL_PeepEvents(&waiting, 1, SDL_PEEKEVENT, SDL_ALLEVENTS) > 0) {
    script.emptySince = 0;
    return interval;
  }
  if (script.emptySince == 0) script.emptySince = now;
  if (now - script.emptySince < SettleTime) return interval;
  SDL_PushEvent(&script.steps[script.next].event);
  script.emptySince = 0;
  ++script.next;
  if (!script.finished()) script.due = SDL_GetTicks() + script.steps[script.next].delay;
  return interval;
}
