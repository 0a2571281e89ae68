#include <gtest/gtest.h>

#include <SDL.h>

#include "GameOverWait.h"
#include "Settings.h"

namespace {
void push(Uint8 type) {
  SDL_Event event{};
  event.type = type;
  event.key.keysym.sym = SDLK_SPACE;
  SDL_PushEvent(&event);
}
}  // namespace

TEST(GameOverWait, WindowCloseEndsItAndStaysQueuedButKeysCountOnlyAfterTwoSeconds) {
  ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER), 0) << SDL_GetError();
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
  }
  int musicWas = settings.Music;
  for (int music : {1, 0}) {
    settings.Music = music;
    int started = 0;
    push(SDL_QUIT);
    gameOverWait([&started] { ++started; });
    EXPECT_EQ(started, music);
    ASSERT_EQ(SDL_PollEvent(&event), 1);  // left for the menu to close on
    EXPECT_EQ(event.type, SDL_QUIT);
  }
  for (Uint8 early : {SDL_KEYDOWN, SDL_JOYBUTTONDOWN, SDL_MOUSEMOTION}) push(early);
  auto pushKey = [](Uint32, void*) -> Uint32 {
    push(SDL_KEYDOWN);
    return 0;
  };
  SDL_TimerID timer = SDL_AddTimer(2100, pushKey, nullptr);
  Uint32 start = SDL_GetTicks();
  gameOverWait({});
  EXPECT_GE(SDL_GetTicks() - start, 2000u);
  SDL_RemoveTimer(timer);
  EXPECT_EQ(SDL_PollEvent(&event), 0);  // the early presses were taken and ignored
  settings.Music = musicWas;
  SDL_Quit();
}
