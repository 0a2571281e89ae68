// Whole games played by the automatic players from fixed starting values and frame
// lengths, with the results they gave when they were recorded. Any change to the rules
// that alters play shows up here; when such a change is meant, the failure message
// prints the new line to paste in.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>

#include "HeadlessGame.h"

namespace {
struct Recording {
  int mode;
  uint32_t start;
  std::vector<int32_t> frames;
  const char* players[2];
};

// score elapsed maxChain totalPieces level | piecesByColour | digest of the final board
std::string line(const Player& p) {
  char head[80], digest[32];
  snprintf(head, sizeof head, "%.17g %d %d %d %d |", p.score, p.elapsed, p.maxChain, p.totalPieces,
           p.level);
  std::string text = head;
  for (int n : p.piecesByColour) text += " " + std::to_string(n);
  snprintf(digest, sizeof digest, " | %016" PRIx64, boardDigest(p.board));
  return text + digest;
}

// clang-format off
const Recording recordings[] = {
    {0, 12345, {16}, {"48.350000000000001 328144 3 308 5 | 24 14 23 38 19 21 61 108 0 | b89f6df0a2b66147"}},
    {2, 777, {1, 16, 33}, {"67.899999999999991 85216 6 98 9 | 13 4 8 8 4 25 8 21 0 | dea5ed3880f65bc9"}},
    {2, 2024, {33}, {"60.099999999999994 151668 3 179 12 | 4 8 10 27 14 15 37 64 0 | 9b241176edb42f33"}},
    {1, 4242, {16, 17}, {"7.0500000000000007 51414 2 63 5 | 7 4 4 4 4 14 5 12 0 | ef568ee0569ec821",
                         "1.55 51414 1 31 5 | 0 4 4 4 4 0 4 11 0 | 0e0635f2920e71da"}},
    {1, 99, {1, 16, 33}, {"23.949999999999999 142299 4 181 5 | 0 14 4 12 13 40 30 68 0 | 116902ea5e792794",
                          "18.149999999999999 142299 4 173 5 | 4 9 4 12 0 27 43 70 4 | 94143c62309ec741"}},
};
// clang-format on
}  // namespace

TEST(RecordedGames, PlayExactlyAsRecorded) {
  for (const Recording& recording : recordings) {
    HeadlessGame headless(recording.mode, recording.start, recording.frames);
    headless.play();
    ASSERT_FALSE(headless.gaveUp);
    for (int i = 0; i < headless.setup.playerCount; ++i)
      EXPECT_EQ(line(headless.game.players[i]), recording.players[i])
          << "mode " << recording.mode << ", start " << recording.start << ", player " << i;
  }
}
