#include "Table.h"

using BoardRules = Practice;

TEST_F(BoardRules, FallingPieceLandsOnTheBottomRowAndIsCheckedForGroups) {
  draw(p, {"R", "."});
  p.board.at(0, 1).flags = Cell::Falling;
  EXPECT_EQ(p.advance(16), 1);  // 16 ms: fall 64000, not yet a row
  EXPECT_EQ(p.advance(16), 1);  // passes into row 0 and goes on falling
  EXPECT_EQ(picture(p, 2), (Lines{".......", "R......"}));
  EXPECT_EQ(p.advance(16), 0);  // cannot go lower: landed
  const Cell& landed = p.board.at(0, 0);
  EXPECT_EQ(landed.flags, Cell::Check);
  EXPECT_EQ(landed.fall, 0);
}

TEST_F(BoardRules, ColumnDropsOneRowAtOnceWhenAnExplosionUnderItEnds) {
  draw(p, {"B", "G", "B", "R", "G", "B", "G", "B"});
  // Row 4 (the red) is destroyed; rows 5 to 7 rest on it.
  explode(p, 0, 4, Colour::Red);
  // An explosion lasts 1008 ms at 65 per ms, to the millisecond.
  for (int ms = 0; ms < 1008; ++ms) ASSERT_EQ(p.advance(1), 1) << ms;
  EXPECT_EQ(p.advance(1), 3);  // it ends: the three above move down together and fall on
  EXPECT_EQ(picture(p, 8), (Lines{".......", "B......", "G......", "B......", "G......", "B......",
                                  "G......", "B......"}));
  for (int row = 4; row <= 6; ++row) EXPECT_TRUE(p.board.at(0, row).is(Cell::Falling));
  EXPECT_EQ(p.advance(16), 3);
  EXPECT_EQ(p.advance(16), 0);  // the cell below is taken: they land where they are
  for (int row = 4; row <= 6; ++row) EXPECT_TRUE(p.board.at(0, row).is(Cell::Check));
}

TEST_F(BoardRules, SlowReactionsDoubleAnExplosionAndLaserHitsHalveIt) {
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

TEST_F(BoardRules, NewRowSlidesInOverAbout110MillisecondsUnlessTheTopRowIsTaken) {
  draw(p, {"RYB...."});
  ASSERT_TRUE(p.board.pushRow());
  EXPECT_EQ(picture(p, 2)[0], "RYB....");  // the old bottom row moved up
  EXPECT_TRUE(p.board.pushRow());          // a second push while sliding does nothing
  EXPECT_EQ(picture(p, 3)[0], ".......");
  for (const Cell& cell : p.board.rows[0]) {
    EXPECT_TRUE(cell.colour >= 0 && cell.colour <= 7);  // never duds or wilds
    EXPECT_EQ(cell.flags, 0);                           // a new row never reacts by itself
  }
  for (int ms = 0; ms < 109; ++ms) p.advance(1);
  EXPECT_TRUE(p.board.rising);
  p.advance(1);
  EXPECT_FALSE(p.board.rising);
  EXPECT_EQ(p.board.riseOffset, 0);
  EXPECT_EQ(sounds.count("Slide"), 1);

  // A piece in the top row, or one still exploding there, refuses the next row untouched.
  p.board.setCell(3, 12, 4);
  Lines before = picture(p);
  uint32_t generator = p.board.rowSeed;
  EXPECT_FALSE(p.board.pushRow());
  EXPECT_FALSE(p.board.rising);
  EXPECT_EQ(picture(p), before);
  EXPECT_EQ(p.board.rowSeed, generator);
  p.board.setCell(3, 12, -1);
  p.board.at(3, 12).flags = Cell::Exploding;
  EXPECT_FALSE(p.board.pushRow());
}

TEST_F(Survival, TopOutIsJudgedOnlyOnceTheSlidingRowIsInAndScoredOnce) {
  p.elapsed = 185000;
  p.board.setCell(5, 12, 6);
  p.board.rising = true;
  p.board.riseOffset = -FixedOne / 2;
  EXPECT_TRUE(p.isAlive());
  p.board.rising = false;
  p.board.riseOffset = 0;
  EXPECT_FALSE(p.isAlive());
  EXPECT_DOUBLE_EQ(p.score, 35.0);  // the time bonus for more than 180 s
  EXPECT_FALSE(p.isAlive());
  EXPECT_DOUBLE_EQ(p.score, 35.0);  // added once
}
