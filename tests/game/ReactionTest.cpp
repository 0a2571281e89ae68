#include "Table.h"

namespace {
// Draws the board, marks one cell as just landed and runs one reaction pass.
int reactOn(Player& p, const Lines& board, int column, int row) {
  draw(p, board);
  check(p, column, row);
  StepEvents events;
  return p.react(events);
}
}  // namespace

using Reactions = Practice;

TEST_F(Reactions, GroupsOfFourExplode) {
  EXPECT_EQ(reactOn(p, {"R......", "R......", "RR....."}, 1, 0), 4);  // an L shape
  EXPECT_EQ(picture(p, 3), (Lines{"x......", "x......", "xx....."}));
  EXPECT_EQ(p.piecesByColour[Colour::Red], 4);
  EXPECT_EQ(reactOn(p, {"R......", "RR....."}, 0, 1), 0);
  EXPECT_FALSE(p.board.at(0, 1).is(Cell::Check));  // every check is spent
}

TEST_F(Reactions, WildPiecesJoinTheLargestGroupTheLowerColourOnATie) {
  const struct {
    const char *board, *after;
    int reacted;
  } cases[] = {{"BBB*GG.", "xxxxGG.", 4}, {"BBB*GGG", "xxxxGGG", 4}, {"BB*G...", "BB*G...", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.board);
    EXPECT_EQ(reactOn(p, {c.board}, int(std::string(c.board).find('*')), 0), c.reacted);
    EXPECT_EQ(picture(p, 1), Lines{c.after});
  }
  EXPECT_EQ(p.board.at(2, 0).colour, Colour::Wild);  // no group: stays wild
}

TEST_F(Reactions, ExplodingColourMixesIntoItsNeighboursOnce) {
  // Around four exploding reds: yellow turns orange, white red; the orange already holds
  // red and black receives nothing, so neither changes.
  EXPECT_EQ(reactOn(p, {"YRRRRW.", ".OK...."}, 1, 1), 4);
  EXPECT_EQ(picture(p, 2), (Lines{"OxxxxR.", ".OK...."}));
  const Cell& yellow = p.board.at(0, 1);
  EXPECT_TRUE(yellow.oldColour == Colour::Yellow && yellow.mixColour == Colour::Red);
  EXPECT_TRUE(yellow.is(Cell::Exploding));
  EXPECT_EQ(p.board.at(1, 0).flags | p.board.at(2, 0).flags, 0);
  // A yellow between two exploding reds turns orange, not further.
  EXPECT_EQ(reactOn(p, {"RRY....", "RRY...."}, 0, 0), 4);
  EXPECT_EQ(picture(p, 2), (Lines{"xxO....", "xxO...."}));
  EXPECT_EQ(p.board.at(2, 0).oldColour, Colour::Yellow);
}

TEST_F(Reactions, WhitesBlacksAndErasedPiecesSpreadNothing) {
  draw(p, {"WWWWY..", "KKKKY.."});
  check(p, 0, 0);
  check(p, 0, 1);
  EXPECT_EQ(p.react(events), 8);
  EXPECT_EQ(picture(p, 2), (Lines{"xxxxY..", "xxxxY.."}));
  draw(p, {"Y", "R"});
  EXPECT_EQ(p.board.eraseColour(Colour::Red), 1);
  p.react(events);
  EXPECT_EQ(p.board.at(0, 1).colour, Colour::Yellow);
}

// The reds explode and turn the yellows beside them orange; the oranges explode and turn
// the blues beside them black; the blacks explode: three reactions.
TEST_F(Reactions, ThreeReactionChainIsScoredWhenItEnds) {
  draw(p, {"RYB....", "RYB....", "RYB....", "RYB...."});
  check(p, 0, 0);
  p.activity = 1;
  for (int frame = 0; frame < 400 && p.chainCount < 3; ++frame) p.update(16, game.state, events);
  EXPECT_EQ(heard(events), (Lines{"R0", "R1", "R2"}));
  while (p.chainCount != 0) p.update(16, game.state, events);
  EXPECT_DOUBLE_EQ(p.score, 3.0);  // (3 reactions - 0.5) * 12 pieces * 0.1
  EXPECT_EQ(p.maxChain, 3);
  EXPECT_EQ(p.totalPieces, 12);
  for (int colour : {Colour::Red, Colour::Orange, Colour::Black})
    EXPECT_EQ(p.piecesByColour[colour], 4) << colour;
  EXPECT_EQ(pieceCount(p), 0);
}

TEST_F(Reactions, ChainScoreMultipliesByWholeMultiplierSteps) {
  const std::pair<int32_t, double> cases[] = {
      {0, 3.25}, {1, 6.5}, {6291, 6.5}, {6292, 9.75}, {12584, 13.0}};
  for (const auto& [multiplier, score] : cases) {
    p.score = 0;
    p.chainCount = 3;  // reactions of 4, 4 and 5 pieces
    p.chainPieces = 13;
    p.activity = 1;
    p.multiplierTimer = multiplier;
    p.closeChain(events);
    EXPECT_DOUBLE_EQ(p.score, score) << multiplier;
  }
  EXPECT_EQ(p.multiplierTimer, 12584);  // only the lingering 1 is cleared
}

TEST_F(Reactions, DroppedPiecesOnAFullColumnJoinTheGroupAtItsTop) {
  Lines full{"RR....."};
  for (int row = 11; row >= 0; --row) full.push_back(row % 2 ? "BG....." : "GB.....");
  draw(p, full);
  p.cursorColumn = 0;
  p.cursorPos = 0;
  hold(p, Colour::Red, 3);
  // The board is still settling: an explosion elsewhere ends just as the drop lands.
  explode(p, 6, 0, Colour::Blue, FixedOne - 2 * 16 * 65 + 1);
  press({Command::Drop});
  frames(2, 16);
  // 2 on the board + 3 that found no room = 5: the board pieces explode, the rest vanish.
  EXPECT_EQ(picture(p)[0], "xx.....");
  EXPECT_TRUE(p.actionState == Idle && p.flightCount == 0 && p.chainPieces == 5);
  EXPECT_EQ(sounds.names, (Lines{"Drop", "R0"}));
  EXPECT_TRUE(p.alive);
}
