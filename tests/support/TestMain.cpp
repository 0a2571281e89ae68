#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
  // Tests never open a real window or sound card, whoever runs them.
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

// SDL over SDL2 keeps a few small blocks for the life of the process (its hint and event
// bookkeeping) and frees them only at exit, after the leak check has run. Leaks from our
// own code still show: only blocks whose allocation stack lies inside these libraries are
// let through.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libSDL2-2.0.so\n"
         "leak:libX11.so\n"
         "leak:libmikmod.so\n";
}
