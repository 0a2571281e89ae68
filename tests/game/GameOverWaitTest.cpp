#include <gtest/gtest.h>

#include <SDL.h>

#include "GameOverWait.h"
#include "Settings.h"

namespace {
class GameOverWaitTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER), 0) << SDL_GetError();
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
    }
    musicWas = settings.Music;
  }
  void TearDown() override {
    settings.Music = musicWas;
    SDL_Quit();
  }
  static void push(Uint8 type) {
    SDL_Event event{};
    event.type = type;
    if (type == SDL_KEYDOWN) event.key.keysym.sym = SDLK_SPACE;
    SDL_PushEvent(&event);
  }
  static Uint32 pushKeyLater(Uint32, void*) {
    push(SDL_KEYDOWN);
    return 0;
  }
  int musicWas = 1;
};
}  // namespace

TEST_F(GameOverWaitTest, WindowCloseEndsTheWaitAndStaysQueuedForTheMenu) {
  for (int music : {1, 0}) {
    settings.Music = music;
    int started = 0;
    push(SDL_QUIT);
    gameOverWait([&started] { ++started; });
    EXPECT_EQ(started, music);
    SDL_Event event;
    ASSERT_EQ(SDL_PollEvent(&event), 1);
    EXPECT_EQ(event.type, SDL_QUIT);
  }
}

TEST_F(GameOverWaitTest, KeysInTheFirstTwoSecondsAreIgnored) {
  settings.Music = 0;
  push(SDL_KEYDOWN);
  push(SDL_JOYBUTTONDOWN);
  push(SDL_MOUSEMOTION);
  SDL_TimerID timer = SDL_AddTimer(2100, pushKeyLater, nullptr);
  Uint32 start = SDL_GetTicks();
  gameOverWait({});
  EXPECT_GE(SDL_GetTicks() - start, 2000u);
  SDL_RemoveTimer(timer);
  SDL_Event event;
  EXPECT_EQ(SDL_PollEvent(&event), 0);  // the early presses were taken and ignored
}
