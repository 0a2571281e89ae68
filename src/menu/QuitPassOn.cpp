#include "QuitPassOn.h"

#include <SDL.h>

void passOnQuit() {
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
}

bool quitPassedOn(const SDL_Event& event) {
  if (event.type != SDL_QUIT) return false;
  passOnQuit();
  return true;
}

Interruption pollQuitOrEscape(const std::function<void(const SDL_Event&)>& other) {
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    if (quitPassedOn(event)) return Interruption::Quit;
    if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE)
      return Interruption::Escape;
    if (other) other(event);
  }
  return Interruption::None;
}
