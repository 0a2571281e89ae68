#include <gtest/gtest.h>

#include <SDL.h>
#include <vector>

#include "InputPoller.h"
#include "KeyNames.h"
#include "MessageBus.h"
#include "SdlEvents.h"
#include "Settings.h"

namespace {

struct Heard {
  int id;
  Binding binding;
};

// Stands where the controllers and the game listen during a game.
class GameEar : public Listener {
public:
  void handle(int id, void* data, MessageBus*) override {
    Binding binding{-1, -1};
    if (id == PlayerCommand) binding = *static_cast<Binding*>(data);
    heard.push_back({id, binding});
  }
  std::vector<Heard> heard;
};

class InGameInput : public ::testing::Test {
protected:
  void SetUp() override {
    settings = Settings();
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    ASSERT_NE(SDL_SetVideoMode(64, 64, 16, 0), nullptr) << SDL_GetError();
    SDL_Event drain;
    while (SDL_PollEvent(&drain)) {
    }
    AxisStates.clear();
    bus.subscribe(PollInput, &poller);
    for (int id : {PlayerCommand, TogglePause, AbortGame}) bus.subscribe(id, &ear);
  }
  void TearDown() override { SDL_Quit(); }

  void push(SDL_Event event) { ASSERT_EQ(SDL_PushEvent(&event), 0); }
  void press(SDLKey key, SDLMod mod = KMOD_NONE) { push(SdlEvents::key(SDL_KEYDOWN, key, mod)); }
  void release(SDLKey key) { push(SdlEvents::key(SDL_KEYUP, key)); }
  void stick(int joystick, int axis, int value) { push(SdlEvents::axis(joystick, axis, value)); }
  void button(int joystick, int index) { push(SdlEvents::button(joystick, index)); }
  std::vector<Heard> poll() {
    ear.heard.clear();
    bus.post(PollInput, nullptr);
    return ear.heard;
  }

  MessageBus bus;
  InputPoller poller;
  GameEar ear;
};

}  // namespace

TEST_F(InGameInput, FactoryKeysDriveBothPlayersAndTheGame) {
  press(SDLK_LEFT);
  press(SDLK_a, KMOD_LSHIFT);  // Shift+A is the key A
  release(SDLK_LEFT);          // releases do nothing
  press(SDLK_p);
  press(SDLK_ESCAPE);
  press(SDLK_F4);  // F4 alone is just an unbound key
  press(SDLK_x);
  std::vector<Heard> heard = poll();
  ASSERT_EQ(heard.size(), 4u);
  EXPECT_EQ(heard[0].id, PlayerCommand);
  EXPECT_EQ(heard[0].binding, (Binding{Command::Left, 0}));
  EXPECT_EQ(heard[1].id, PlayerCommand);
  EXPECT_EQ(heard[1].binding, (Binding{Command::Left, 1}));
  EXPECT_EQ(heard[2].id, TogglePause);
  EXPECT_EQ(heard[3].id, AbortGame);
  EXPECT_TRUE(poll().empty());  // the queue was drained
}

TEST_F(InGameInput, HeldStickCommandsOnceUntilItPassesTheDeadZone) {
  stick(0, 0, 30000);   // pushed right: player 1 Right
  stick(0, 0, 31000);   // still held
  stick(0, 0, 20000);   // exactly the threshold counts as centred
  stick(0, 0, 20001);   // pushed again
  stick(0, 0, -25000);  // straight across to the left
  std::vector<Heard> heard = poll();
  ASSERT_EQ(heard.size(), 3u);
  EXPECT_EQ(heard[0].binding, (Binding{Command::Right, 0}));
  EXPECT_EQ(heard[1].binding, (Binding{Command::Right, 0}));
  EXPECT_EQ(heard[2].binding, (Binding{Command::Left, 0}));

  // The stick is still held left when the next game starts: no repeat until released.
  MessageBus nextGame;
  InputPoller nextPoller;
  GameEar nextEar;
  nextGame.subscribe(PollInput, &nextPoller);
  nextGame.subscribe(PlayerCommand, &nextEar);
  stick(0, 0, -26000);
  stick(0, 0, 0);
  stick(0, 0, -26000);
  nextGame.post(PollInput, nullptr);
  ASSERT_EQ(nextEar.heard.size(), 1u);
  EXPECT_EQ(nextEar.heard[0].binding, (Binding{Command::Left, 0}));
}

TEST_F(InGameInput, ButtonsAndOtherAxesFollowTheJoystickBindings) {
  button(1, 0);        // J2B1: player 2 Grab
  button(0, 3);        // J1B4: player 1 PullDown
  button(0, 9);        // unbound
  stick(1, 1, 9000);   // inside the dead zone
  stick(2, 0, 30000);  // a third joystick, unbound
  settings.JoystickBindings[JoystickInput{0, 1, 3, 1, 0}.code()] = {Command::PowerUp, 1};
  stick(1, 3, 32767);
  std::vector<Heard> heard = poll();
  ASSERT_EQ(heard.size(), 3u);
  EXPECT_EQ(heard[0].binding, (Binding{Command::Grab, 1}));
  EXPECT_EQ(heard[1].binding, (Binding{Command::PullDown, 0}));
  EXPECT_EQ(heard[2].binding, (Binding{Command::PowerUp, 1}));
}

TEST_F(InGameInput, AltF4CtrlCAndClosingTheWindowLeaveAtOnce) {
  EXPECT_EXIT(
      {
        press(SDLK_F4, KMOD_RALT);
        poll();
        std::exit(3);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(
      {
        press(SDLK_c, KMOD_LCTRL);
        poll();
        std::exit(3);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(
      {
        push(SdlEvents::of(SDL_QUIT));
        poll();
        std::exit(3);
      },
      ::testing::ExitedWithCode(0), "");
}
