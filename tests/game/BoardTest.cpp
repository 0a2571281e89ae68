#include <gtest/gtest.h>

#include "Table.h"

using Lines = std::vector<std::string>;

TEST(Board, FallingPieceLandsOnTheBottomRowAndIsCheckedForGroups) {
  Table table;
  Player& p = table.player();
  draw(p, {"R", "."});
  p.board.at(0, 1).flags = Cell::Falling;
  EXPECT_EQ(p.advance(16), 1);  // 16 ms: fall 64000, not yet a row
  EXPECT_EQ(p.advance(16), 1);  // passes into row 0 and goes on falling
  EXPECT_EQ(picture(p, 2), (Lines{".......", "R......"}));
  EXPECT_EQ(p.advance(16), 0);  // cannot go lower: landed
  const Cell& landed = p.board.at(0, 0);
  EXPECT_FALSE(landed.is(Cell::Falling));
  EXPECT_TRUE(landed.is(Cell::Check));
  EXPECT_EQ(landed.fall, 0);
}

TEST(Board, ColumnDropsOneRowAtOnceWhenAnExplosionUnderItEnds) {
  Table table;
  Player& p = table.player();
  draw(p, {"B......", "G......", "B......", "R......", "G......", "B......", "G......", "B......"});
  // Row 4 (the red) is destroyed; rows 5 to 7 rest on it.
  Cell& red = p.board.at(0, 4);
  red.oldColour = red.colour;
  red.colour = -1;
  red.flags = Cell::Exploding;
  // An explosion lasts 1008 ms at 65 per ms, to the millisecond.
  for (int ms = 0; ms < 1008; ++ms) EXPECT_EQ(p.advance(1), 1) << ms;
  EXPECT_TRUE(p.board.at(0, 4).is(Cell::Exploding));
  EXPECT_EQ(p.advance(1), 3);  // it ends: the three above move down together and fall on
  EXPECT_EQ(picture(p, 8), (Lines{".......", "B......", "G......", "B......", "G......", "B......",
                                  "G......", "B......"}));
  for (int row = 4; row <= 6; ++row) EXPECT_TRUE(p.board.at(0, row).is(Cell::Falling));
  EXPECT_EQ(p.advance(16), 3);
  EXPECT_EQ(p.advance(16), 0);  // the cell below is taken: they land where they are
  for (int row = 4; row <= 6; ++row) EXPECT_TRUE(p.board.at(0, row).is(Cell::Check));
}

TEST(Board, SlowReactionsDoubleAnExplosionAndLaserHitsHalveIt) {
  Table table;
  Player& p = table.player();
  p.board.at(2, 0).flags = Cell::Exploding;
  p.board.at(4, 0).flags = Cell::Exploding | Cell::LaserHit;
  p.slowReactionsTimer = 100000;
  int slowEnd = 0, laserEnd = 0;
  for (int ms = 1; ms <= 2100; ++ms) {
    p.advance(1);
    if (!laserEnd && !p.board.at(4, 0).is(Cell::Exploding)) laserEnd = ms;
    if (!slowEnd && !p.board.at(2, 0).is(Cell::Exploding)) slowEnd = ms;
  }
  EXPECT_EQ(laserEnd, 505);  // 130 per ms, never slowed
  EXPECT_EQ(slowEnd, 2048);  // 65 halved, rounded down: 32 per ms
}

TEST(Board, MoveCellRefusesOccupiedExplodingAndOutsideTargets) {
  Table table;
  Board& board = table.player().board;
  board.setCell(0, 0, 1);
  board.setCell(1, 0, 2);
  EXPECT_FALSE(board.moveCell(0, 0, 1, 0));
  EXPECT_FALSE(board.moveCell(0, 0, 0, -1));
  EXPECT_FALSE(board.moveCell(0, 0, 7, 0));
  board.at(2, 0).flags = Cell::Exploding;  // being destroyed: empty, but not free
  EXPECT_FALSE(board.moveCell(0, 0, 2, 0));
  board.at(0, 0).flags = Cell::Check;
  EXPECT_TRUE(board.moveCell(0, 0, 0, 1));
  EXPECT_EQ(board.at(0, 1).colour, 1);
  EXPECT_TRUE(board.at(0, 1).is(Cell::Check));
  EXPECT_EQ(board.at(0, 0).colour, -1);
  EXPECT_EQ(board.at(0, 0).flags, 0);
}

TEST(Board, NewRowSlidesInOverAbout110MillisecondsWithOneSlideSound) {
  Table table;
  Player& p = table.player();
  draw(p, {"RYB...."});
  ASSERT_TRUE(p.board.pushRow());
  EXPECT_EQ(picture(p, 2)[0], "RYB....");  // the old bottom row moved up
  EXPECT_TRUE(p.board.pushRow());          // a second push while sliding does nothing
  EXPECT_EQ(picture(p, 3)[0], ".......");
  for (const Cell& cell : p.board.rows[0]) {
    EXPECT_GE(cell.colour, 0);
    EXPECT_LE(cell.colour, 7);  // never duds or wilds
    EXPECT_EQ(cell.flags, 0);   // a new row never reacts by itself
  }
  for (int ms = 0; ms < 109; ++ms) p.advance(1);
  EXPECT_TRUE(p.board.rising);
  p.advance(1);
  EXPECT_FALSE(p.board.rising);
  EXPECT_EQ(p.board.riseOffset, 0);
  EXPECT_EQ(table.sounds.count("Slide"), 1);
}

TEST(Board, RowIsRefusedWhenTheTopRowIsOccupied) {
  Table table;
  Player& p = table.player();
  p.board.setCell(3, 12, 4);
  p.board.setCell(0, 0, 1);
  Lines before = picture(p);
  uint32_t generator = p.board.rowSeed;
  EXPECT_FALSE(p.board.pushRow());
  EXPECT_FALSE(p.board.rising);
  EXPECT_EQ(p.board.riseOffset, 0);
  EXPECT_EQ(picture(p), before);
  EXPECT_EQ(p.board.rowSeed, generator);
  // A piece still exploding in the top row blocks it too.
  p.board.setCell(3, 12, -1);
  p.board.at(3, 12).flags = Cell::Exploding;
  EXPECT_FALSE(p.board.pushRow());
}

TEST(Board, TopOutIsJudgedOnlyOnceTheSlidingRowIsIn) {
  Table table(2);
  Player& p = table.player();
  p.elapsed = 185000;
  p.maxChain = 4;
  p.board.setCell(5, 12, 6);
  p.board.rising = true;
  p.board.riseOffset = -FixedOne / 2;
  EXPECT_TRUE(p.isAlive());
  p.board.rising = false;
  p.board.riseOffset = 0;
  EXPECT_FALSE(p.isAlive());
  // Survival: 35.0 for more than 180 s, 20.0 for a longest chain of 4 reactions.
  EXPECT_DOUBLE_EQ(p.timeBonus, 35.0);
  EXPECT_DOUBLE_EQ(p.chainBonus, 20.0);
  EXPECT_DOUBLE_EQ(p.score, 55.0);
  EXPECT_FALSE(p.isAlive());
  EXPECT_DOUBLE_EQ(p.score, 55.0);  // added once
}
