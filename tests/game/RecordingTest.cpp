// Whole recorded games, replayed through the real Game: each recordings/NAME.txt holds
// what reached the bus (the clock's steps and every player command), NAME.expected the
// end it gave (statistics and board digests). Any change to the rules that alters play
// shows here as a diff. When such a change is meant, rewrite the expectations with
//   PIGMORA_REWRITE_RECORDINGS=1 build/tests/game/game_tests --gtest_filter='Recordings.*'
// and review the diff. recordings/README.md says how to make a new recording.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Recording.h"

TEST(Recordings, ReplayToTheirExpectedEnd) {
  bool rewrite = std::getenv("PIGMORA_REWRITE_RECORDINGS") != nullptr;
  int replayed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(PIGMORA_RECORDINGS_DIR)) {
    if (entry.path().extension() != ".txt") continue;
    SCOPED_TRACE(entry.path().filename().string());
    Recording recording;
    std::ifstream text(entry.path());
    ASSERT_TRUE(recording.read(text));
    std::string end = recording.replay();
    std::filesystem::path expected = entry.path();
    expected.replace_extension(".expected");
    if (rewrite) std::ofstream(expected) << end;
    std::stringstream stored;
    stored << std::ifstream(expected).rdbuf();
    EXPECT_EQ(end, stored.str());
    ++replayed;
  }
  EXPECT_GE(replayed, 5);
}
