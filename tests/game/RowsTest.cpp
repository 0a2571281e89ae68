#include <cstdlib>
#include <random>
#include <vector>

#include "NextRandom.h"
#include "Table.h"

namespace {
// Milliseconds of 1 ms frames until the next row is pushed (the generator moves on).
int msToNextRow(Table& table) {
  uint32_t before = table.player().board.rowSeed;
  for (int ms = 1; ms <= 60000; ++ms) {
    table.frames(1, 1);
    if (table.player().board.rowSeed != before) return ms;
  }
  return -1;
}
}  // namespace

TEST_F(Practice, OwedRowsArriveOneAfterAnotherThenTheSteadyInterval) {
  p.pendingRows = 2;
  EXPECT_EQ(msToNextRow(*this), 1);
  EXPECT_EQ(msToNextRow(*this), 110);   // waits for the first to slide in
  EXPECT_EQ(msToNextRow(*this), 8193);  // the interval counts from the last owed row
  EXPECT_EQ(pieceCount(p), 21);
}

TEST_F(Practice, AShieldHoldsOwedRowsBackButNotTheSteadyInterval) {
  p.pendingRows = 3;
  p.shieldTimer = 10000;
  EXPECT_EQ(msToNextRow(*this), 8193);
  EXPECT_EQ(p.pendingRows, 3);
  EXPECT_EQ(msToNextRow(*this), 10001 - 8193);  // the shield ran out
  EXPECT_EQ(p.pendingRows, 2);
}

TEST_F(Survival, ClimbsALevelEveryTwentySecondsWithRowsComingFasterDownToAFloor) {
  while (p.level == 5 && p.elapsed < 30000) frames(1, 1);
  EXPECT_EQ(p.elapsed, 20001);
  msToNextRow(*this);
  EXPECT_EQ(msToNextRow(*this), 6826);  // 40960 / level 6
  frames(200, 1);                       // the row slides in
  p.level = 53;
  p.rowInterval = 772;
  for (int level : {54, 54}) {  // the floor, and no further
    p.levelTimer = 20001;
    frames(1, 0);
    EXPECT_EQ(p.level, level);
    EXPECT_EQ(p.rowInterval, 768);
  }
}

TEST(TopOut, AFullTopInAnyColumnEndsThePlayerWithSurvivalsBonusesForChainAndTime) {
  struct Case {
    int mode, elapsed, maxChain;
    double time, chain;
  } cases[] = {{2, 120000, 2, 0, 0},     {2, 120001, 3, 10, 10},    {2, 185000, 4, 35, 20},
               {2, 300000, 9, 220, 170}, {2, 300001, 10, 250, 250}, {2, 250000, 6, 90, 50},
               {0, 400000, 12, 0, 0},  // Practice and Versus have neither bonuses nor levels
               {1, 400000, 12, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.elapsed);
    const int column = static_cast<int>(&c - cases) % 7;  // a full top in every column
    Table table(c.mode);
    Player& p = table.player();
    p.elapsed = c.elapsed;
    p.maxChain = c.maxChain;
    p.score = 1.0;
    p.levelTimer = 50000;
    table.frames(1, 0);
    EXPECT_EQ(p.level, c.mode == 2 ? 6 : 5);
    // The top row is judged only once a sliding row is in, and scored once.
    p.board.setCell(column, 12, Colour::Red);
    p.board.rising = true;
    p.board.riseOffset = -FixedOne / 2;
    EXPECT_TRUE(p.isAlive());
    p.board.rising = false;
    p.board.riseOffset = 0;
    for (int judged = 0; judged < 2; ++judged) EXPECT_FALSE(p.isAlive());
    EXPECT_DOUBLE_EQ(p.timeBonus, c.time);
    EXPECT_DOUBLE_EQ(p.chainBonus, c.chain);
    EXPECT_DOUBLE_EQ(p.score, 1.0 + c.time + c.chain);
  }
}

TEST_F(Survival, RefusedOwedRowEndsThePlayerWithItsBonusesEvenWhileItsTopReacts) {
  p.elapsed = 200000;
  p.pendingRows = 1;
  // Four oranges in the top row, one just finishing its change of colour. When it does,
  // the owed row is refused, and in the same frame the four react: the player is out all
  // the same, and keeps the time bonus.
  for (int column = 1; column < 4; ++column) p.board.setCell(column, 12, Colour::Orange);
  explode(p, 0, 12, Colour::Yellow, FixedOne - 65).colour = Colour::Orange;
  EXPECT_EQ(p.update(1, game.state, events), 0);
  EXPECT_FALSE(p.alive);
  EXPECT_EQ(p.pendingRows, 0);
  EXPECT_EQ(heard(events), Lines{"R0"});
  EXPECT_DOUBLE_EQ(p.score, 35.0);
}

// Rows come from our own copy of the classic generator, so that a replay plays the same in a
// web page as on the desktop; on the desktop it must still give what Debian's C library gives,
// or every replay kept so far would play otherwise. States at the edges of its arithmetic too.
TEST(RowGenerator, GivesWhatTheDesktopsCLibraryGivesFromAnyState) {
  std::mt19937 states(31);
  std::vector<uint32_t> tried = {0,           1,           4242,        2147483646u,
                                 2147483647u, 2147483648u, 2147483649u, 4294967295u};
  for (int i = 0; i < 2000; ++i) tried.push_back(static_cast<uint32_t>(states()));
  for (uint32_t state : tried) {
    std::srand(state);
    ASSERT_EQ(firstClassicRandom(state), std::rand()) << "state " << state;
  }
}
