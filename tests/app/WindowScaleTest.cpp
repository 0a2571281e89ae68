#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "SdlEnvironment.h"

TEST(WindowScale, LargestWholeScaleWithinNineTenthsOfTheDesktop) {
  struct Case {
    int width, height, scale;
  } cases[] = {
      {1024, 768, 1},  {1920, 1080, 2}, {3840, 2160, 4},  // 640x480, 1280x960, 2560x1920
      {0, 0, 1},       {-5, 900, 1},    {320, 200, 1},    // no X, nonsense, too small
      {1423, 1067, 2}, {1422, 1067, 1}, {1423, 1066, 1},  // the edges of 2x
      {1080, 1920, 1}, {7680, 4320, 8}, {2560, 1440, 2},  // portrait, 8K, 1440p
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    EXPECT_EQ(windowScaleFor(c.width, c.height), c.scale);
  }
}

TEST(RendererChoice, WithoutAGpuSdlsSoftwareRendererAloneShowsThePicture) {
  struct Case {
    bool gpu;
    const char* playersDriver;  // set before the game starts; null: none
    const char *driver, *acceleration;
  } cases[] = {
      {false, nullptr, "software", "0"},
      {true, nullptr, nullptr, nullptr},  // SDL's own choice: OpenGL on the GPU
      {false, "opengl", "opengl", "0"},   // the player's choice stands
  };
  auto read = [](const char* name) -> std::string {
    const char* value = std::getenv(name);
    return value ? value : "(unset)";
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.gpu ? "a GPU" : "no GPU") + ", player's driver " +
                 (c.playersDriver ? c.playersDriver : "none"));
    unsetenv("SDL_RENDER_DRIVER");
    unsetenv("SDL_FRAMEBUFFER_ACCELERATION");
    if (c.playersDriver) setenv("SDL_RENDER_DRIVER", c.playersDriver, 1);
    Desktop desktop;
    desktop.gpu = c.gpu;
    prepareSdlEnvironment(desktop);
    EXPECT_EQ(read("SDL_RENDER_DRIVER"), c.driver ? c.driver : "(unset)");
    EXPECT_EQ(read("SDL_FRAMEBUFFER_ACCELERATION"), c.acceleration ? c.acceleration : "(unset)");
  }
}
