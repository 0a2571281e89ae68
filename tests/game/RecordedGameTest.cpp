// Whole games played by the automatic players from fixed starting values and frame
// lengths, with the results they gave when they were recorded. Any change to the rules
// that alters play shows up here; when such a change is meant, the failure message
// prints the new line to paste in.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>

#include "HeadlessGame.h"

namespace {
struct Result {
  double score;
  int elapsed, maxChain, totalPieces, level;
  int pieces[9];
  uint64_t digest;
};

struct Recording {
  int mode;
  uint32_t start;
  std::vector<int32_t> frames;
  Result players[2];
};

Result resultOf(const Player& p) {
  Result r{p.score, p.elapsed, p.maxChain, p.totalPieces, p.level, {}, boardDigest(p.board)};
  for (int i = 0; i < 9; ++i) r.pieces[i] = p.piecesByColour[i];
  return r;
}

std::string line(const Result& r) {
  char text[300];
  snprintf(text, sizeof text,
           "{%.17g, %d, %d, %d, %d, {%d, %d, %d, %d, %d, %d, %d, %d, %d}, 0x%016" PRIx64 "ull}",
           r.score, r.elapsed, r.maxChain, r.totalPieces, r.level, r.pieces[0], r.pieces[1],
           r.pieces[2], r.pieces[3], r.pieces[4], r.pieces[5], r.pieces[6], r.pieces[7],
           r.pieces[8], r.digest);
  return text;
}

// clang-format off
const Recording recordings[] = {
    {0, 12345, {16}, {
        {48.350000000000001, 328144, 3, 308, 5, {24, 14, 23, 38, 19, 21, 61, 108, 0}, 0xb89f6df0a2b66147ull}}},
    {2, 777, {1, 16, 33}, {
        {67.899999999999991, 85216, 6, 98, 9, {13, 4, 8, 8, 4, 25, 8, 21, 0}, 0xdea5ed3880f65bc9ull}}},
    {2, 2024, {33}, {
        {60.099999999999994, 151668, 3, 179, 12, {4, 8, 10, 27, 14, 15, 37, 64, 0}, 0x9b241176edb42f33ull}}},
    {1, 4242, {16, 17}, {
        {7.0500000000000007, 51414, 2, 63, 5, {7, 4, 4, 4, 4, 14, 5, 12, 0}, 0xef568ee0569ec821ull},
        {1.55, 51414, 1, 31, 5, {0, 4, 4, 4, 4, 0, 4, 11, 0}, 0x0e0635f2920e71daull}}},
    {1, 99, {1, 16, 33}, {
        {23.949999999999999, 142299, 4, 181, 5, {0, 14, 4, 12, 13, 40, 30, 68, 0}, 0x116902ea5e792794ull},
        {18.149999999999999, 142299, 4, 173, 5, {4, 9, 4, 12, 0, 27, 43, 70, 4}, 0x94143c62309ec741ull}}},
};
// clang-format on
}  // namespace

TEST(RecordedGames, PlayExactlyAsRecorded) {
  for (const Recording& recording : recordings) {
    HeadlessGame headless(recording.mode, recording.start, recording.frames);
    headless.play();
    ASSERT_FALSE(headless.gaveUp);
    for (int i = 0; i < headless.setup.playerCount; ++i) {
      std::string played = line(resultOf(headless.game.players[i]));
      EXPECT_EQ(played, line(recording.players[i]))
          << "mode " << recording.mode << ", start " << recording.start << ", player " << i;
    }
  }
}
