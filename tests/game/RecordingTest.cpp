// Whole recorded games, replayed through the real rules: each recordings/NAME.txt is a
// replay file (its setup, every pass's length and inputs) that ends with the end lines
// it gave when it was made (statistics and board digests). Any change to the rules that
// alters play shows here as a diff. When such a change is meant, rewrite the end lines
// with
//   PIGMORA_REWRITE_RECORDINGS=1 build/tests/game/game_tests --gtest_filter='Recordings.*'
// and review the diff. recordings/README.md says how to make a new recording.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "Replay.h"

TEST(Recordings, ReplayToTheirStoredEnd) {
  bool rewrite = std::getenv("PIGMORA_REWRITE_RECORDINGS") != nullptr;
  int replayed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(PIGMORA_RECORDINGS_DIR)) {
    if (entry.path().extension() != ".txt") continue;
    SCOPED_TRACE(entry.path().filename().string());
    Replay replay;
    std::string error;
    std::ifstream text(entry.path());
    ASSERT_TRUE(replay.read(text, error)) << error;
    ReplayRun run = playReplay(replay);
    std::string stored;
    for (const std::string& line : replay.endLines) stored += line;
    if (rewrite && !run.endsAsSaved(replay)) {
      replay.sealEnd();
      std::ofstream(entry.path()) << replay.text();
      continue;
    }
    EXPECT_TRUE(run.over) << "a recording is a whole game";
    EXPECT_EQ(run.parting, "");
    EXPECT_EQ(endLines(run.game, replay.format), stored);
    ++replayed;
  }
  EXPECT_GE(replayed, 5);
}
