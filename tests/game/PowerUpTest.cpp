#include <gtest/gtest.h>

#include "Binding.h"
#include "Colour.h"
#include "PowerUpMessage.h"
#include "Table.h"

using Lines = std::vector<std::string>;
using namespace Command;

namespace {
void check(Player& p, int column, int row) {
  p.board.at(column, row).flags |= Cell::Check;
}

int countColour(const Player& p, int colour) {
  int n = 0;
  for (const auto& row : p.board.rows)
    for (const Cell& cell : row) n += cell.colour == colour ? 1 : 0;
  return n;
}

void untilChainCloses(Table& table, int index = 0) {
  Player& p = table.player(index);
  for (int frame = 0; frame < 500 && (p.chainCount || p.activity); ++frame)
    table.frames(1, 16, index);
}
}  // namespace

TEST(PowerUps, SixRedsLowerMinGroupOnceAndTheOddChargeIsDroppedAtTheChainsEnd) {
  Table table;
  Player& p = table.player();
  draw(p, {"RRRRRR."});
  check(p, 0, 0);
  table.frames(1, 16);
  EXPECT_EQ(p.minGroup, 3);
  ASSERT_EQ(p.bank.charges.size(), 1u);
  EXPECT_EQ(p.bank.charges[0].colour, Colour::Red);
  EXPECT_EQ(p.bank.charges[0].count, 1);
  untilChainCloses(table);
  EXPECT_TRUE(p.bank.charges.empty());
  EXPECT_EQ(p.minGroup, 3);  // this chain does not win it back
  // The next chain with a reaction (three now suffice) raises it again.
  draw(p, {"GGG...."});
  check(p, 0, 0);
  table.frames(1, 16);
  untilChainCloses(table);
  EXPECT_EQ(p.minGroup, 4);
}

TEST(PowerUps, TwelveBluesGiveTwelveLaserShotsInAOnePlayerGame) {
  Table table;
  Player& p = table.player();
  draw(p, {"BBBBBB.", "BBBBBB."});
  check(p, 0, 0);
  table.frames(1, 16);
  EXPECT_EQ(p.laserCharges, 12);
  EXPECT_EQ(p.laserChargedTimer, 3146);
  untilChainCloses(table);
  table.press({PowerUp});
  table.frames(1, 16);
  EXPECT_EQ(p.laserCharges, 11);
  EXPECT_EQ(p.lasersTimer, 3146 - 16);  // set, then one frame ran down
  EXPECT_EQ(table.sounds.count("Laser"), 1);
}

TEST(PowerUps, LaserPassesAnEmptyColumnAndDestroysTheTopOfAStack) {
  Table table;
  Player& p = table.player();
  p.laserCharges = 2;
  table.press({PowerUp});
  table.frames(200, 1);
  EXPECT_TRUE(p.lasers.empty());
  EXPECT_EQ(table.sounds.names, Lines{"Laser"});

  draw(p, {"...Y...", "...G...", "...B..."});
  table.press({PowerUp});
  table.frames(1, 0);  // fired at row 12; ten rows down to row 2 at 8000 per ms: 82 ms
  table.frames(81, 1);
  EXPECT_EQ(p.lasers.size(), 1u);
  table.frames(1, 1);
  EXPECT_TRUE(p.lasers.empty());
  const Cell& hit = p.board.at(3, 2);
  EXPECT_EQ(hit.colour, -1);
  EXPECT_EQ(hit.oldColour, Colour::Yellow);
  EXPECT_TRUE(hit.is(Cell::Exploding));
  EXPECT_TRUE(hit.is(Cell::LaserHit));
  EXPECT_EQ(table.sounds.count("Explode"), 1);
  EXPECT_EQ(p.laserCharges, 0);
}

TEST(PowerUps, EraseTakesTheCommonestColoursNotOutnumberedByWilds) {
  Table table;
  Player& p = table.player();
  draw(p, {"R.R.R.."});
  p.bank.apply(Colour::White, 10, false);
  EXPECT_EQ(countColour(p, Colour::Red), 0);
  EXPECT_EQ(p.message, "Erased Red!");
  EXPECT_EQ(p.messageTimer, 3146);
  EXPECT_EQ(p.chainPieces, 3);

  draw(p, {"B.B.B..", "R.R.G.."});
  p.bank.apply(Colour::White, 10, false);  // strength 2: the best two colours
  EXPECT_EQ(p.message, "Erased Blue\nErased Red!");
  EXPECT_EQ(pieceCount(p), 1);
  draw(p, {"B.B.B..", "R.R.G.."});
  p.bank.apply(Colour::White, 9, false);  // strength 1: only the best
  EXPECT_EQ(p.message, "Erased Blue!");
  EXPECT_EQ(pieceCount(p), 3);

  draw(p, {"**R.B.."});
  p.bank.apply(Colour::White, 10, false);
  EXPECT_EQ(p.message, "");
  EXPECT_EQ(pieceCount(p), 4);
}

TEST(PowerUps, PurpleTurnsThreeOwnPiecesWild) {
  Table table;
  Player& p = table.player();
  draw(p, {"KKKKKKK", "KKKKKKK", "PPPPPKK"});
  check(p, 0, 0);
  table.frames(1, 16);
  EXPECT_EQ(countColour(p, Colour::Wild), 3);
  EXPECT_EQ(p.wildsAddedTimer, 3146);
}

TEST(Versus, SevenPiecesSendTheOpponentOneRowWhenTheChainCloses) {
  Table table(1);
  Player& mine = table.player(0);
  Player& theirs = table.player(1);
  draw(mine, {"KKKKKKK"});
  check(mine, 0, 0);
  table.frames(1, 16, 0);
  EXPECT_EQ(theirs.bank.incoming, 7);
  EXPECT_EQ(mine.bank.incoming, 0);
  untilChainCloses(table, 0);
  EXPECT_EQ(theirs.pendingRows, 1);  // 7 / 6
  EXPECT_EQ(theirs.bank.incoming, 0);
}

TEST(Versus, OrangeTurnsOpponentPiecesToDudsUnlessShielded) {
  for (bool shielded : {false, true}) {
    Table table(1);
    Player& mine = table.player(0);
    Player& theirs = table.player(1);
    draw(theirs, {"RGBRGBR", "GBRGBRG"});
    theirs.shieldTimer = shielded ? 5000 : 0;
    draw(mine, {"OOOOO.."});
    check(mine, 0, 0);
    table.frames(1, 16, 0);
    SCOPED_TRACE(shielded ? "shielded" : "open");
    EXPECT_EQ(countColour(theirs, Colour::Dud), shielded ? 0 : 4);
    EXPECT_EQ(pieceCount(theirs), 14);
    EXPECT_EQ(theirs.dudsAddedTimer, shielded ? 0 : 3146);
    EXPECT_EQ(theirs.bank.incoming, shielded ? 0 : 5);
    EXPECT_EQ(countColour(mine, Colour::Dud), 0);  // never one's own board
  }
}

TEST(Versus, StoredPowerUpsAreUsedLastFirst) {
  Table table(1);
  Player& mine = table.player(0);
  Player& theirs = table.player(1);
  draw(mine, {"YYYYY..", "BBBBB..", "RRRRR.."});
  for (int row = 0; row < 3; ++row) check(mine, 0, row);
  table.frames(1, 16, 0);
  ASSERT_EQ(mine.bank.stored.size(), 3u);
  EXPECT_EQ(mine.minGroup, 4);  // stored, not applied
  untilChainCloses(table, 0);
  table.press({PowerUp, PowerUp, PowerUp}, 0);
  table.frames(1, 16, 0);  // yellow: the opponent slows down
  EXPECT_EQ(theirs.slowTimer, 6292);
  EXPECT_EQ(mine.slowTimer, 0);
  mine.pendingRows = 3;
  mine.bank.incoming = 20;
  table.frames(1, 16, 0);  // blue: a shield that also clears what is owed
  EXPECT_EQ(mine.shieldTimer, 6292 - 16);
  EXPECT_EQ(mine.pendingRows, 0);
  EXPECT_EQ(mine.bank.incoming, 0);
  table.frames(1, 16, 0);  // red: easier reactions
  EXPECT_EQ(mine.minGroup, 3);
  table.press({PowerUp}, 0);
  table.frames(1, 16, 0);  // nothing left: nothing happens
  EXPECT_TRUE(mine.bank.stored.empty());
  EXPECT_EQ(mine.minGroup, 3);
}

TEST(Versus, MeterIsCappedAndABankIgnoresItsOwnSender) {
  Table table(1);
  Player& theirs = table.player(1);
  PowerUpMessage lots{Colour::Black, 100, 0};
  table.game.bus.post(SendDuds, &lots);
  EXPECT_EQ(theirs.bank.incoming, 54);  // (13 - 4) * (7 - 1)
  PowerUpMessage own{Colour::Black, 5, 1};
  EXPECT_EQ(table.game.bus.post(SendDuds, &own), 2);
  EXPECT_EQ(theirs.bank.incoming, 54);
  EXPECT_EQ(table.player(0).bank.incoming, 5);
}
