#include <gtest/gtest.h>

#include "Binding.h"
#include "Colour.h"
#include "Table.h"

using Lines = std::vector<std::string>;

namespace {
void check(Player& p, int column, int row) {
  p.board.at(column, row).flags |= Cell::Check;
}
}  // namespace

TEST(Reactions, FourInAnLShapeExplodeThreeDoNot) {
  Table table;
  Player& p = table.player();
  draw(p, {"R......", "R......", "RR....."});
  check(p, 1, 0);
  EXPECT_EQ(p.react(), 4);
  EXPECT_EQ(picture(p, 3), (Lines{"x......", "x......", "xx....."}));
  EXPECT_EQ(p.piecesByColour[Colour::Red], 4);

  Table other;
  Player& q = other.player();
  draw(q, {"R......", "RR....."});
  check(q, 0, 1);
  EXPECT_EQ(q.react(), 0);
  EXPECT_EQ(pieceCount(q), 3);
  EXPECT_FALSE(q.board.at(0, 1).is(Cell::Check));  // every check is spent
}

TEST(Reactions, WildPieceJoinsTheLargestGroupLowerColourOnATie) {
  Table table;
  Player& p = table.player();
  draw(p, {"BBB*GG."});
  check(p, 3, 0);
  EXPECT_EQ(p.react(), 4);
  EXPECT_EQ(picture(p, 1), Lines{"xxxxGG."});
  EXPECT_EQ(p.board.at(3, 0).oldColour, Colour::Blue);

  Table tie;
  Player& q = tie.player();
  draw(q, {"BBB*GGG"});
  check(q, 3, 0);
  EXPECT_EQ(q.react(), 4);
  EXPECT_EQ(picture(q, 1), Lines{"xxxxGGG"});

  Table alone;
  Player& w = alone.player();
  draw(w, {"BB*G..."});
  check(w, 2, 0);
  EXPECT_EQ(w.react(), 0);
  EXPECT_EQ(w.board.at(2, 0).colour, Colour::Wild);  // no group: stays wild
}

TEST(Reactions, ExplodingColourMixesIntoItsNeighbours) {
  Table table;
  Player& p = table.player();
  // The four reds explode; around them a yellow, an orange, a white and a black.
  draw(p, {"YRRRRW.", ".OK...."});
  check(p, 1, 1);
  EXPECT_EQ(p.react(), 4);
  const Cell& yellow = p.board.at(0, 1);
  EXPECT_EQ(yellow.colour, Colour::Orange);
  EXPECT_EQ(yellow.oldColour, Colour::Yellow);
  EXPECT_EQ(yellow.mixColour, Colour::Red);
  EXPECT_TRUE(yellow.is(Cell::Exploding));
  EXPECT_EQ(p.board.at(5, 1).colour, Colour::Red);  // white takes the colour
  EXPECT_EQ(p.board.at(1, 0).colour, Colour::Orange);
  EXPECT_FALSE(p.board.at(1, 0).is(Cell::Exploding));  // orange already holds red
  EXPECT_EQ(p.board.at(2, 0).colour, Colour::Black);
  EXPECT_FALSE(p.board.at(2, 0).is(Cell::Exploding));  // black never receives
}

TEST(Reactions, AYellowBetweenTwoExplodingRedsMixesOnce) {
  Table table;
  Player& p = table.player();
  draw(p, {"RRY....", "RRY...."});
  check(p, 0, 0);
  EXPECT_EQ(p.react(), 4);
  EXPECT_EQ(p.board.at(2, 0).colour, Colour::Orange);
  EXPECT_EQ(p.board.at(2, 0).oldColour, Colour::Yellow);
  EXPECT_EQ(p.board.at(2, 1).oldColour, Colour::Yellow);
}

TEST(Reactions, ErasedAndWhiteOrBlackPiecesSpreadNothing) {
  Table table;
  Player& p = table.player();
  draw(p, {"WWWWY..", "KKKKY.."});
  check(p, 0, 0);
  check(p, 0, 1);
  EXPECT_EQ(p.react(), 8);
  EXPECT_EQ(p.board.at(4, 0).colour, Colour::Yellow);
  EXPECT_EQ(p.board.at(4, 1).colour, Colour::Yellow);
  draw(p, {"Y", "R"});
  EXPECT_EQ(p.board.eraseColour(Colour::Red), 1);
  p.react();
  EXPECT_EQ(p.board.at(0, 1).colour, Colour::Yellow);
}

// The reds explode and turn the yellows beside them orange; the oranges explode and turn
// the blues beside them black; the blacks explode: three reactions.
TEST(Reactions, ThreeReactionChainIsCountedSoundedAndScored) {
  Table table;
  Player& p = table.player();
  draw(p, {"RYB....", "RYB....", "RYB....", "RYB...."});
  check(p, 0, 0);
  p.activity = 1;
  for (int frame = 0; frame < 400 && p.chainCount < 3; ++frame) p.update(16);
  EXPECT_EQ(table.sounds.names, (Lines{"R0", "R1", "R2"}));
  EXPECT_EQ(p.chainPieces, 12);
  while (p.chainCount != 0) p.update(16);
  // (3 reactions - 0.5) * 12 pieces * 0.1
  EXPECT_DOUBLE_EQ(p.score, 3.0);
  EXPECT_EQ(p.maxChain, 3);
  EXPECT_EQ(p.totalPieces, 12);
  EXPECT_EQ(p.piecesByColour[Colour::Red], 4);
  EXPECT_EQ(p.piecesByColour[Colour::Orange], 4);
  EXPECT_EQ(p.piecesByColour[Colour::Black], 4);
  EXPECT_EQ(pieceCount(p), 0);
}

TEST(Reactions, ChainScoreMultipliesByWholeMultiplierSteps) {
  Table table;
  Player& p = table.player();
  struct Case {
    int32_t multiplier;
    double score;
  } cases[] = {{0, 3.25}, {1, 6.5}, {6291, 6.5}, {6292, 9.75}, {12584, 13.0}};
  for (const Case& c : cases) {
    p.score = 0;
    p.chainCount = 3;  // reactions of 4, 4 and 5 pieces
    p.chainPieces = 13;
    p.activity = 1;
    p.multiplierTimer = c.multiplier;
    p.closeChain();
    EXPECT_DOUBLE_EQ(p.score, c.score) << c.multiplier;
  }
  EXPECT_EQ(p.multiplierTimer, 12584);  // only the lingering 1 is cleared
}

TEST(Reactions, DroppedPiecesOnAFullColumnJoinTheGroupAtItsTop) {
  Table table;
  Player& p = table.player();
  Lines full;
  for (int row = 12; row >= 0; --row)
    full.push_back(row == 12 ? "RR....." : row % 2 ? "BG....." : "GB.....");
  draw(p, full);
  p.cursorColumn = 0;
  p.cursorPos = 0;
  p.actionState = Holding;
  p.heldColour = Colour::Red;
  p.heldCount = 3;
  // The board is still settling: an explosion elsewhere ends just as the drop lands.
  Cell& settling = p.board.at(6, 0);
  settling.flags = Cell::Exploding;
  settling.timer = FixedOne - 2 * 16 * 65 + 1;
  table.press({Command::Drop});
  table.frames(2, 16);
  // 2 on the board + 3 that found no room = 5: the board pieces explode, the rest vanish.
  EXPECT_EQ(picture(p)[0], "xx.....");
  EXPECT_EQ(p.actionState, Idle);
  EXPECT_EQ(p.flightCount, 0);
  EXPECT_EQ(p.chainPieces, 5);
  EXPECT_EQ(table.sounds.names, (Lines{"Drop", "R0"}));
  EXPECT_TRUE(p.alive);
}

TEST(Reactions, EasierReactionsRecoverOneStepPerChain) {
  Table table;
  Player& p = table.player();
  p.minGroup = 2;
  draw(p, {"RR....."});
  check(p, 0, 0);
  p.update(16);  // a pair reacts now
  EXPECT_EQ(p.chainCount, 1);
  while (p.chainCount) p.update(16);
  EXPECT_EQ(p.minGroup, 3);
  p.activity = 1;
  p.closeChain();  // something moved, but nothing reacted
  EXPECT_EQ(p.minGroup, 3);
}

TEST(Reactions, AChainWhoseExplosionsEndWithinOneLongFrameIsScoredOnce) {
  Table table;
  Player& p = table.player();
  draw(p, {"RRRR..."});
  check(p, 0, 0);
  p.update(0);
  EXPECT_EQ(p.chainCount, 1);
  p.update(1500);  // the machine stalled: the whole explosion passes in one frame
  for (int frame = 0; frame < 5; ++frame) p.update(16);
  EXPECT_DOUBLE_EQ(p.score, 0.5 * 4 * 0.1);
  EXPECT_EQ(p.totalPieces, 4);
  EXPECT_EQ(p.chainCount, 0);
}
