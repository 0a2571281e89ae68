#include <gtest/gtest.h>

#include "Desktop.h"

TEST(Desktop, AVirtualServerOffersNoGpuToDrawWith) {
  // The tests' own Xvfb, like a VNC server, emulates OpenGL on the CPU.
  Desktop desktop = findDesktop();
  ASSERT_GT(desktop.width, 0) << "no X server";
  EXPECT_FALSE(desktop.gpu);
}
