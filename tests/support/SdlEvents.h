#pragma once

#include <SDL.h>

// The events a player's keyboard, mouse and joysticks would put on SDL's queue.
namespace SdlEvents {

inline SDL_Event key(Uint8 type, SDLKey sym, SDLMod mod = KMOD_NONE) {
  SDL_Event event{};
  event.type = type;
  event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  event.key.keysym.sym = sym;
  event.key.keysym.mod = mod;
  return event;
}

inline SDL_Event axis(int joystick, int axis, int value) {
  SDL_Event event{};
  event.type = SDL_JOYAXISMOTION;
  event.jaxis.which = static_cast<Uint8>(joystick);
  event.jaxis.axis = static_cast<Uint8>(axis);
  event.jaxis.value = static_cast<Sint16>(value);
  return event;
}

inline SDL_Event button(int joystick, int index) {
  SDL_Event event{};
  event.type = SDL_JOYBUTTONDOWN;
  event.jbutton.which = static_cast<Uint8>(joystick);
  event.jbutton.button = static_cast<Uint8>(index);
  event.jbutton.state = SDL_PRESSED;
  return event;
}

inline SDL_Event mouse(Uint8 type, int x, int y, int button) {
  SDL_Event event{};
  event.type = type;
  event.button.button = static_cast<Uint8>(button);
  event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
  event.button.x = static_cast<Uint16>(x);
  event.button.y = static_cast<Uint16>(y);
  return event;
}

inline SDL_Event of(Uint8 type) {
  SDL_Event event{};
  event.type = type;
  return event;
}

}  // namespace SdlEvents
