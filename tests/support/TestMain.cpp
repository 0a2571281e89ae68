#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {
// Code under test that ends the program (exit(0) for a quit key) would end a test as a
// pass, unseen: an exit in the middle of a test fails it instead. A death test's child
// exits as it likes.
void exitDuringATest() {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  if (!test || ::testing::internal::InDeathTestChild()) return;
  std::fprintf(stderr, "the program exited in the middle of %s.%s\n", test->test_suite_name(),
               test->name());
  std::_Exit(1);
}
}  // namespace

int main(int argc, char** argv) {
  std::atexit(exitDuringATest);
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
