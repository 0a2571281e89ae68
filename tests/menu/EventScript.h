#pragma once

#include <SDL.h>
#include <vector>

#include "SdlEvents.h"

// A player at the keyboard, mouse and joystick: pushes scripted events onto SDL's own
// queue from a timer, one at a time and only once the previous one has been taken, so a
// menu loop (which throws away whatever is queued when it starts) sees each of them.
class EventScript {
public:
  EventScript& key(SDLKey k, SDLMod mod = KMOD_NONE) {
    return add(SdlEvents::key(SDL_KEYDOWN, k, mod));
  }
  EventScript& axis(int joystick, int a, int value) {
    return add(SdlEvents::axis(joystick, a, value));
  }
  EventScript& button(int joystick, int b) { return add(SdlEvents::button(joystick, b)); }
  EventScript& mouseDown(int x, int y, int b = SDL_BUTTON_LEFT) {
    return add(SdlEvents::mouse(SDL_MOUSEBUTTONDOWN, x, y, b));
  }
  EventScript& mouseUp(int x, int y, int b = SDL_BUTTON_LEFT) {
    return add(SdlEvents::mouse(SDL_MOUSEBUTTONUP, x, y, b));
  }
  EventScript& mouseMove(int x, int y) { return add(SdlEvents::mouse(SDL_MOUSEMOTION, x, y)); }
  EventScript& quit() { return add(SdlEvents::of(SDL_QUIT)); }
  // Waits this long before the next event.
  EventScript& pause(Uint32 ms);

  // Starts feeding; the events flow while the test runs the menu loop.
  void start();
  void stop();
  bool finished() const;
  ~EventScript() { stop(); }

private:
  struct Step {
    SDL_Event event;
    Uint32 delay;
  };
  static Uint32 tick(Uint32 interval, void* self);
  EventScript& add(const SDL_Event& event);

  std::vector<Step> steps;
  size_t next = 0;
  Uint32 due = 0;
  Uint32 emptySince = 0;
  SDL_TimerID timer = nullptr;
  Uint32 pendingDelay = 0;
};
