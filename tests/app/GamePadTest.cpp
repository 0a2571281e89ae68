#include <dlfcn.h>
#include <gtest/gtest.h>

#include <SDL.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "GameLoop.h"
#include "HumanController.h"
#include "InputPoller.h"
#include "KeyNames.h"
#include "Replay.h"
#include "SdlEnvironment.h"
#include "Settings.h"
#include "SystemSetup.h"

namespace {

// A pad plugged in through SDL2's own virtual-joystick calls (SDL 2.0.14 and later); SDL
// 1.2 here is sdl12-compat over that same SDL2, so the game sees it like any other pad.
// This one numbers its buttons its own way, X Y A B, and reports its d-pad as a hat.
class VirtualPad {
public:
  VirtualPad() {
    sdl2 = dlopen("libSDL2-2.0.so.0", RTLD_NOW);
    if (!sdl2 || call<int (*)(Uint32)>("SDL_InitSubSystem")(0x200 | 0x2000) != 0) return;
    int index = call<int (*)(int, int, int, int)>("SDL_JoystickAttachVirtual")(0, 4, 8, 1);
    if (index < 0) return;
    struct Guid {
      Uint8 data[16];
    } guid = call<Guid (*)(int)>("SDL_JoystickGetDeviceGUID")(index);
    char text[33] = {};
    call<void (*)(Guid, char*, int)>("SDL_JoystickGetGUIDString")(guid, text, sizeof text);
    // SDL looks a mapping up without the name check sum that sits in the GUID's bytes 2-3.
    std::fill(text + 4, text + 8, '0');
    std::string mapping = std::string(text) +
                          ",Odd Pad,x:b0,y:b1,a:b2,b:b3,back:b4,start:b5,leftshoulder:b6,"
                          "rightshoulder:b7,dpup:h0.1,dpright:h0.2,dpdown:h0.4,dpleft:h0.8,"
                          "leftx:a0,lefty:a1,rightx:a2,righty:a3,";
    call<int (*)(const char*)>("SDL_GameControllerAddMapping")(mapping.c_str());
    pad = call<void* (*)(int)>("SDL_JoystickOpen")(index);
  }
  ~VirtualPad() {
    if (sdl2) dlclose(sdl2);
  }
  bool ready() const { return pad != nullptr; }
  void button(int index, bool down) {
    call<int (*)(void*, int, Uint8)>("SDL_JoystickSetVirtualButton")(pad, index, down);
  }
  void hat(Uint8 value) {
    call<int (*)(void*, int, Uint8)>("SDL_JoystickSetVirtualHat")(pad, 0, value);
  }
  void axis(int index, Sint16 value) {
    call<int (*)(void*, int, Sint16)>("SDL_JoystickSetVirtualAxis")(pad, index, value);
  }

private:
  template <typename F>
  F call(const char* name) const {
    return reinterpret_cast<F>(dlsym(sdl2, name));
  }
  void* sdl2 = nullptr;
  void* pad = nullptr;
};

// What reaches a two-player game from the pads by the next pass: "0R" for player 1's
// Right (the letters of a replay), or "nothing".
std::string nextCommand(GameLoop& loop) {
  for (int tries = 0; tries < 1000 && loop.pending.empty(); ++tries) {
    SDL_Delay(2);
    loop.bus.post<PollInput>();
  }
  std::string got;
  for (const Input& input : loop.pending)
    got += std::to_string(input.player) + inputLetter(input.command);
  loop.pending = PassInput();
  return got.empty() ? "nothing" : got;
}

}  // namespace

// Start-up as the program does it, with two pads plugged in, and a two-player game.
TEST(GamePad, StartUpOpensBothPadsAndEachDrivesItsOwnPlayerInTheStandardLayout) {
  setenv("SDL12COMPAT_USE_GAME_CONTROLLERS", "0", 1);
  prepareSdlEnvironment(Desktop{});
  EXPECT_STREQ(std::getenv("SDL12COMPAT_USE_GAME_CONTROLLERS"), "0");  // the player's choice
  unsetenv("SDL12COMPAT_USE_GAME_CONTROLLERS");
  prepareSdlEnvironment(Desktop{});
  unsetenv("DISPLAY");  // the start-up would otherwise keep a real display's screen awake
  // The dummy window never has the focus that SDL2 wants before it passes pad input on.
  setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
  VirtualPad pads[2];
  if (!pads[0].ready() || !pads[1].ready())
    GTEST_SKIP() << "SDL2 cannot attach virtual joysticks here";
  testing::internal::CaptureStdout();
  int started = InitSystem();
  std::fflush(stdout);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Initializing SDL.\n2 joysticks detected!");
  ASSERT_EQ(started, 0);
  ASSERT_NE(SDL_SetVideoMode(64, 64, 16, 0), nullptr);
  GameLoop loop{GameSetup(GameMode::Versus)};
  InputPoller poller;
  HumanController players[2];
  loop.bus.subscribe(PollInput, &poller);
  for (int player = 0; player < 2; ++player) players[player].attach(&loop, player);
  settings.JoystickBindings[JoystickInput{1, 0, 0, 0, 13}.code()] = {Command::Left, 0};
  // Player 1 holds the stick right while player 2 pushes theirs the same way. The pads
  // number their buttons X Y A B; the game sees the standard A B X Y (grab, drop, power-up
  // and pull with the factory bindings), and the d-pad as buttons (left is J1B14).
  const struct {
    int pad;
    char kind;  // Stick, Button or Hat
    int index;
    const char* arrives;
  } moves[] = {{0, 'S', 0, "0R"}, {1, 'S', 0, "1R"}, {1, 'B', 0, "1U"}, {1, 'B', 1, "1P"},
               {0, 'B', 2, "0G"}, {0, 'B', 3, "0D"}, {0, 'H', 0, "0L"}};
  for (const auto& move : moves) {
    SCOPED_TRACE(move.arrives);
    if (move.kind == 'S') pads[move.pad].axis(move.index, 30000);
    if (move.kind == 'B') pads[move.pad].button(move.index, true);
    if (move.kind == 'H') pads[move.pad].hat(SDL_HAT_LEFT);
    EXPECT_EQ(nextCommand(loop), move.arrives);
  }
  SDL_Quit();
}
