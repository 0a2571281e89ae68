#include <gtest/gtest.h>

#include <SDL.h>
#include <vector>

#include "InputPoller.h"
#include "KeyNames.h"
#include "MessageBus.h"
#include "SdlEvents.h"
#include "Settings.h"

namespace {

// Stands where the controllers and the game listen during a game: writes down each
// message as "id" or, for a command, "id:command/player".
struct GameEar : Listener {
  void handle(int id, void* data, MessageBus*) override {
    std::string line = std::to_string(id);
    if (id == PlayerCommand) {
      const Binding& b = *static_cast<Binding*>(data);
      line += ":" + std::to_string(b.command) + "/" + std::to_string(b.player);
    }
    heard.push_back(line);
  }
  std::vector<std::string> heard;
};
using Heard = std::vector<std::string>;

class InGameInput : public ::testing::Test {
protected:
  void SetUp() override {
    settings = Settings();
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    ASSERT_NE(SDL_SetVideoMode(64, 64, 16, 0), nullptr) << SDL_GetError();
    for (SDL_Event drain; SDL_PollEvent(&drain);) {
    }
    AxisStates.clear();
  }
  void TearDown() override { SDL_Quit(); }
  void push(std::initializer_list<SDL_Event> events) {
    for (SDL_Event event : events) ASSERT_EQ(SDL_PushEvent(&event), 0);
  }
  // One PollInput on a game's bus, as the main loop posts it.
  Heard poll() {
    MessageBus bus;
    InputPoller poller;
    GameEar ear;
    bus.subscribe(PollInput, &poller);
    for (int id : {PlayerCommand, TogglePause, AbortGame}) bus.subscribe(id, &ear);
    bus.post<PollInput>();
    return ear.heard;
  }
};

using namespace SdlEvents;

}  // namespace

TEST_F(InGameInput, FactoryKeysDriveBothPlayersAndTheGame) {
  push({key(SDL_KEYDOWN, SDLK_LEFT), key(SDL_KEYDOWN, SDLK_a, KMOD_LSHIFT),
        key(SDL_KEYUP, SDLK_LEFT), key(SDL_KEYDOWN, SDLK_p), key(SDL_KEYDOWN, SDLK_ESCAPE),
        key(SDL_KEYDOWN, SDLK_F4), key(SDL_KEYDOWN, SDLK_x)});
  // Shift+A is A; releases, F4 alone and unbound keys do nothing.
  EXPECT_EQ(poll(), (Heard{"1:0/0", "1:0/1", "4", "5"}));
  EXPECT_EQ(poll(), Heard{});  // the queue was drained
}

TEST_F(InGameInput, HeldStickCommandsOnceUntilItPassesTheDeadZoneEvenIntoTheNextGame) {
  // Right, still held, exactly the threshold (centred), right again, straight across.
  push({axis(0, 0, 30000), axis(0, 0, 31000), axis(0, 0, 20000), axis(0, 0, 20001),
        axis(0, 0, -25000)});
  EXPECT_EQ(poll(), (Heard{"1:1/0", "1:1/0", "1:0/0"}));
  // Still held left from before; exactly minus the threshold is centred too; left again.
  push({axis(0, 0, -26000), axis(0, 0, -20000), axis(0, 0, -26000)});
  EXPECT_EQ(poll(), (Heard{"1:0/0"}));
}

TEST_F(InGameInput, TwoPadsSticksAreTheirOwnAndHeedTheDeadZoneThePlayerSet) {
  settings.Threshold = 5000;
  // Player 1 holds right; player 2 pushes right just past the player's dead zone.
  push({axis(0, 0, 30000), axis(1, 0, 6000)});
  EXPECT_EQ(poll(), (Heard{"1:1/0", "1:1/1"}));
  // Player 1 lets go inside it while player 2 still holds; player 1 pushes left.
  push({axis(0, 0, 5000), axis(1, 0, 31000), axis(0, 0, -6000)});
  EXPECT_EQ(poll(), (Heard{"1:0/0"}));
}

TEST_F(InGameInput, ButtonsAndOtherAxesFollowTheJoystickBindings) {
  settings.JoystickBindings[JoystickInput{0, 1, 3, 1, 0}.code()] = {Command::PowerUp, 1};
  // J2B1, J1B4, an unbound button, inside the dead zone, an unbound third stick, J2A4+.
  push({button(1, 0), button(0, 3), button(0, 9), axis(1, 1, 9000), axis(2, 0, 30000),
        axis(1, 3, 32767)});
  EXPECT_EQ(poll(), (Heard{"1:3/1", "1:4/0", "1:5/1"}));
}

// Alt+F4 and Ctrl+C (either Alt, either Ctrl) leave at once; the same keys with another
// modifier, or none, are keys like any other. Each press runs in a child of its own, which
// says it lived by its status.
TEST_F(InGameInput, TheQuitKeysActOnlyWithTheirModifier) {
  constexpr int Lived = 42;
  const struct {
    const char* what;
    SDLKey sym;
    SDLMod mod;
    bool quits;
  } cases[] = {
      {"Alt+F4", SDLK_F4, KMOD_LALT, true},    {"AltGr+F4", SDLK_F4, KMOD_RALT, true},
      {"F4", SDLK_F4, KMOD_NONE, false},       {"Ctrl+F4", SDLK_F4, KMOD_LCTRL, false},
      {"Ctrl+C", SDLK_c, KMOD_LCTRL, true},    {"right Ctrl+C", SDLK_c, KMOD_RCTRL, true},
      {"Shift+C", SDLK_c, KMOD_LSHIFT, false}, {"Alt+C", SDLK_c, KMOD_LALT, false},
  };
  ::testing::FLAGS_gtest_death_test_style = "threadsafe";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EXIT(
        {
          push({key(SDL_KEYDOWN, c.sym, c.mod)});
          poll();
          std::exit(Lived);
        },
        ::testing::ExitedWithCode(c.quits ? 0 : Lived), "");
  }
}
