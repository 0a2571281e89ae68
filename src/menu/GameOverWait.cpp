#include "GameOverWait.h"

#include <SDL.h>

#include "QuitPassOn.h"
#include "Settings.h"

void gameOverWait(const std::function<void()>& startOverMusic) {
  Uint32 start = SDL_GetTicks();
  if (settings.Music && startOverMusic) startOverMusic();
  SDL_Event event;
  // A failing event queue ends the wait instead of spinning for ever.
  while (SDL_WaitEvent(&event)) {
    if (quitPassedOn(event)) return;
    switch (event.type) {
      case SDL_KEYDOWN:
      case SDL_JOYBUTTONDOWN:
        if (SDL_GetTicks() - start > 2000) return;
        break;
      case SDL_VIDEOEXPOSE:
        // The window lost its picture: the results are still in the screen surface.
        SDL_Flip(SDL_GetVideoSurface());
        break;
      default:
        break;
    }
  }
}
