#include "Table.h"

using BoardRules = Practice;

TEST_F(BoardRules, FallingPieceLandsOnTheBottomRowAndIsCheckedForGroups) {
  draw(p, {"R", "."});
  p.board.at(0, 1).flags = Cell::Falling;
  EXPECT_EQ(p.advance(16, events), 1);  // 16 ms: fall 64000, not yet a row
  EXPECT_EQ(p.advance(16, events), 1);  // passes into row 0 and goes on falling
  EXPECT_EQ(picture(p, 2), (Lines{".......", "R......"}));
  EXPECT_EQ(p.advance(16, events), 0);  // cannot go lower: landed
  EXPECT_EQ(p.board.at(0, 0).flags, Cell::Check);
  EXPECT_EQ(p.board.at(0, 0).fall, 0);
}

TEST_F(BoardRules, ColumnDropsOneRowAtOnceWhenAnExplosionUnderItEnds) {
  draw(p, {"B", "G", "B", "R", "G", "B", "G", "B"});
  explode(p, 0, 4, Colour::Red);  // rows 5 to 7 rest on it
  // An explosion lasts 1008 ms at 65 per ms, to the millisecond.
  for (int ms = 0; ms < 1008; ++ms) ASSERT_EQ(p.advance(1, events), 1) << ms;
  EXPECT_EQ(p.advance(1, events), 3);  // it ends: the three above move down together and fall on
  EXPECT_EQ(picture(p, 8), (Lines{".......", "B......", "G......", "B......", "G......", "B......",
                                  "G......", "B......"}));
  p.advance(16, events);
  EXPECT_EQ(p.advance(16, events), 0);  // the cell below is taken: they land where they are
  for (int row = 4; row <= 6; ++row) EXPECT_TRUE(p.board.at(0, row).is(Cell::Check));
}

TEST_F(BoardRules, SlowReactionsDoubleAnExplosionAndLaserHitsHalveIt) {
  p.board.at(2, 0).flags = Cell::Exploding;
  p.board.at(4, 0).flags = Cell::Exploding | Cell::LaserHit;
  p.slowReactionsTimer = 100000;
  int ends[7] = {};
  for (int ms = 1; ms <= 2100; ++ms) {
    p.advance(1, events);
    for (int column : {2, 4})
      if (!ends[column] && !p.board.at(column, 0).is(Cell::Exploding)) ends[column] = ms;
  }
  EXPECT_EQ(ends[4], 505);   // 130 per ms, never slowed
  EXPECT_EQ(ends[2], 2048);  // 65 halved, rounded down: 32 per ms
}

TEST_F(BoardRules, NewRowOfTrueColoursSlidesInOverAbout110Milliseconds) {
  draw(p, {"RYB...."});
  ASSERT_TRUE(p.board.pushRow());
  EXPECT_EQ(picture(p, 2)[0], "RYB....");  // the old bottom row moved up
  EXPECT_TRUE(p.board.pushRow());          // a second push while sliding does nothing
  EXPECT_EQ(picture(p, 3)[0], ".......");
  for (const Cell& cell : p.board.rows[0])  // never duds or wilds, and never reacting
    EXPECT_TRUE(cell.colour >= 0 && cell.colour <= 7 && cell.flags == 0);
  for (int ms = 0; ms < 109; ++ms) p.advance(1, events);
  EXPECT_TRUE(p.board.rising);
  p.advance(1, events);
  EXPECT_TRUE(!p.board.rising && p.board.riseOffset == 0);
  EXPECT_EQ(heard(events), Lines{"Slide"});
}

TEST_F(BoardRules, ATakenTopRowRefusesTheNextRowUntouched) {
  for (bool exploding : {false, true}) {
    SCOPED_TRACE(exploding ? "a piece exploding there" : "a piece there");
    draw(p, {"RYBRYBR"});
    p.board.setCell(3, 12, Colour::Blue);
    if (exploding) explode(p, 3, 12, Colour::Blue);
    Lines before = picture(p);
    uint32_t generator = p.board.rowSeed;
    EXPECT_FALSE(p.board.pushRow());
    EXPECT_FALSE(p.board.rising);
    EXPECT_EQ(picture(p), before);
    EXPECT_EQ(p.board.rowSeed, generator);
  }
}
