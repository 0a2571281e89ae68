#pragma once

#include <SDL.h>

// The events a player's keyboard, mouse and joysticks would put on SDL's queue.
namespace SdlEvents {

inline SDL_Event of(Uint8 type) {
  SDL_Event event{};
  event.type = type;
  return event;
}

inline SDL_Event key(Uint8 type, SDLKey sym, SDLMod mod = KMOD_NONE) {
  SDL_Event event = of(type);
  event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  event.key.keysym.sym = sym;
  event.key.keysym.mod = mod;
  return event;
}

inline SDL_Event axis(int joystick, int axis, int value) {
  SDL_Event event = of(SDL_JOYAXISMOTION);
  event.jaxis.which = Uint8(joystick);
  event.jaxis.axis = Uint8(axis);
  event.jaxis.value = Sint16(value);
  return event;
}

inline SDL_Event button(int joystick, int index) {
  SDL_Event event = of(SDL_JOYBUTTONDOWN);
  event.jbutton.which = Uint8(joystick);
  event.jbutton.button = Uint8(index);
  event.jbutton.state = SDL_PRESSED;
  return event;
}

// A mouse button press or release, or (type SDL_MOUSEMOTION) a move to the point.
inline SDL_Event mouse(Uint8 type, int x, int y, int button = 0) {
  SDL_Event event = of(type);
  if (type == SDL_MOUSEMOTION) {
    event.motion.x = Uint16(x), event.motion.y = Uint16(y),
    event.motion.xrel = event.motion.yrel = 1;
    return event;
  }
  event.button.button = Uint8(button);
  event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
  event.button.x = Uint16(x), event.button.y = Uint16(y);
  return event;
}

}  // namespace SdlEvents
