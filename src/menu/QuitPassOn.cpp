#include "QuitPassOn.h"

#include <SDL.h>

void passOnQuit() {
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
}
