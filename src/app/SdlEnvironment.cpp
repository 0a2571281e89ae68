#include "SdlEnvironment.h"

#include <cstdlib>
#include <string>

namespace {

constexpr int ScreenWidth = 640;
constexpr int ScreenHeight = 480;
// The window may take up to nine tenths of the desktop, leaving room for panels and the
// window's frame.
constexpr int FitTenths = 9;

bool fits(int scale, int screenSide, int desktopSide) {
  return long(screenSide) * scale * 10 <= long(desktopSide) * FitTenths;
}

}  // namespace

int windowScaleFor(int desktopWidth, int desktopHeight) {
  int scale = 1;
  while (fits(scale + 1, ScreenWidth, desktopWidth) && fits(scale + 1, ScreenHeight, desktopHeight))
    ++scale;
  return scale;
}

void prepareSdlEnvironment(const Desktop& desktop) {
  // Without it the game loop would draw as fast as the machine allows.
  setenv("SDL12COMPAT_SYNC_TO_VBLANK", "1", 0);
  std::string scale = std::to_string(windowScaleFor(desktop.width, desktop.height));
  setenv("SDL12COMPAT_WINDOW_SCALING", scale.c_str(), 0);
  setenv("SDL12COMPAT_USE_GAME_CONTROLLERS", "1", 0);
  if (!desktop.gpu) {
    // Without a GPU, SDL's default renderer, and the window surface behind its software
    // one, both draw through OpenGL emulated on the CPU: several times the cost of SDL's
    // software renderer putting the picture into the window itself, and a compiler
    // library mapped for nothing.
    setenv("SDL_RENDER_DRIVER", "software", 0);
    setenv("SDL_FRAMEBUFFER_ACCELERATION", "0", 0);
  }
}
