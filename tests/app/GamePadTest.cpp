#include <dlfcn.h>
#include <gtest/gtest.h>

#include <SDL.h>
#include <algorithm>
#include <cstdlib>
#include <string>

#include "SdlEnvironment.h"

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

// What the game gets through SDL 1.2 after one change on the pad: "B3" for a button
// press, "A0+" for an axis pushed beyond the dead zone, "H" for a hat.
std::string nextInput() {
  SDL_Event event;
  for (int tries = 0; tries < 50; ++tries) {
    SDL_Delay(2);
    while (SDL_PollEvent(&event)) {
      if (event.type == SDL_JOYBUTTONDOWN) return "B" + std::to_string(event.jbutton.button);
      if (event.type == SDL_JOYHATMOTION) return "H";
      if (event.type == SDL_JOYAXISMOTION && event.jaxis.value > 20000)
        return "A" + std::to_string(event.jaxis.axis) + "+";
    }
  }
  return "nothing";
}

}  // namespace

TEST(GamePad, EveryPadSdlKnowsArrivesInTheStandardLayoutUnlessThePlayerChoseOne) {
  setenv("SDL12COMPAT_USE_GAME_CONTROLLERS", "0", 1);
  prepareSdlEnvironment(Desktop{});
  EXPECT_STREQ(std::getenv("SDL12COMPAT_USE_GAME_CONTROLLERS"), "0");
  unsetenv("SDL12COMPAT_USE_GAME_CONTROLLERS");
  prepareSdlEnvironment(Desktop{});
  // The dummy window never has the focus that SDL2 wants before it passes pad input on.
  setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
  VirtualPad pad;
  if (!pad.ready()) GTEST_SKIP() << "SDL2 cannot attach a virtual joystick here";
  ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO | SDL_INIT_JOYSTICK), 0) << SDL_GetError();
  ASSERT_NE(SDL_SetVideoMode(64, 64, 16, 0), nullptr);
  ASSERT_EQ(SDL_NumJoysticks(), 1);
  SDL_JoystickOpen(0);
  SDL_JoystickEventState(SDL_ENABLE);
  // A, B, X, Y become buttons 1 to 4 (grab, drop, power-up and pull with the factory
  // bindings) whatever the pad's own order (X Y A B here); the d-pad becomes buttons.
  const char* standard[] = {"B2", "B3", "B0", "B1"};  // what the pad's X, Y, A, B become
  for (int button = 0; button < 4; ++button) {
    pad.button(button, true);
    EXPECT_EQ(nextInput(), standard[button]) << "pad button " << button;
  }
  pad.hat(SDL_HAT_LEFT);
  EXPECT_EQ(nextInput(), "B13") << "d-pad left";
  pad.axis(0, 30000);
  EXPECT_EQ(nextInput(), "A0+") << "left stick right";
  SDL_Quit();
}
