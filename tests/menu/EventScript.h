#pragma once

#include <SDL.h>
#include <vector>

// A player at the keyboard, mouse and joystick: pushes scripted events onto SDL's own
// queue from a timer, one at a time and only once the previous one has been taken, so a
// menu loop (which throws away whatever is queued when it starts) sees each of them.
class EventScript {
public:
  EventScript& key(SDLKey key, SDLMod mod = KMOD_NONE);
  EventScript& axis(int joystick, int axis, int value);
  EventScript& button(int joystick, int button);
  EventScript& mouseDown(int x, int y, int button = SDL_BUTTON_LEFT);
  EventScript& mouseUp(int x, int y, int button = SDL_BUTTON_LEFT);
  EventScript& mouseMove(int x, int y);
  EventScript& quit();
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
