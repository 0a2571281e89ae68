#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
  // Tests never open a real window or sound card, whoever runs them.
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
