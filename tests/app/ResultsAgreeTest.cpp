// What a player reads at the end of a network game, what its replay keeps and what
// --check-replay prints are one set of figures, through a lossy link, on both sides.
#include <gtest/gtest.h>

#include <sstream>

#include "Meeting.h"
#include "Replay.h"
#include "ReplayCheck.h"
#include "StatusText.h"
#include "TempDir.h"

namespace {
// What --check-replay prints for the replay, saved as a file.
std::string checked(const Replay& replay, int& status) {
  TempDir folder(true);
  folder.write("game.txt", replay.text());
  std::ostringstream out, err;
  status = checkReplay("game.txt", out, err);
  return out.str();
}

}  // namespace

TEST(ResultsAgree, BothSidesOfALossyNetworkGameReadAsTheirReplaysCheck) {
  Meeting meeting({60, 25, 8, 3, 5, 11}, {4, 3});
  ASSERT_TRUE(meeting.runToTheEnd());
  for (int side = 0; side < 2; ++side) {
    SCOPED_TRACE(side);
    int status = -1;
    std::string printed = checked(meeting.matches[side]->replay(), status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(printed, resultsInWords(meeting.matches[side]->game(), -1))
        << "the screen reads otherwise";
    EXPECT_NE(printed.find("You win!"), std::string::npos);
  }
}
