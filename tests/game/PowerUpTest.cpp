#include "PowerUpMessage.h"
#include "Table.h"

using namespace Command;

namespace {
// Runs frames of 16 ms until the player's chain has closed.
void untilChainCloses(Table& table, int index = 0) {
  Player& p = table.player(index);
  for (int frame = 0; frame < 500 && (p.chainCount || p.activity); ++frame)
    table.frames(1, 16, index);
}

// Draws the board, marks its bottom-left cell as just landed and runs one frame.
void land(Table& table, const Lines& board, int index = 0) {
  draw(table.player(index), board);
  check(table.player(index), 0, 0);
  table.frames(1, 16, index);
}
}  // namespace

using PowerUps = Practice;
using Versus = TwoPlayers;

TEST_F(PowerUps, SixRedsLowerMinGroupOnceUntilALaterChainReacts) {
  land(*this, {"RRRRRR."});
  EXPECT_EQ(p.minGroup, 3);
  ASSERT_EQ(p.bank.charges.size(), 1u);
  EXPECT_EQ(p.bank.charges[0].colour, Colour::Red);
  EXPECT_EQ(p.bank.charges[0].count, 1);
  untilChainCloses(*this);
  EXPECT_TRUE(p.bank.charges.empty());  // the odd charge is dropped at the chain's end
  EXPECT_EQ(p.minGroup, 3);             // and this chain does not win it back
  p.activity = 1;
  p.closeChain(events);  // something moved, but nothing reacted
  EXPECT_EQ(p.minGroup, 3);
  land(*this, {"GGG...."});  // three now suffice, and the chain raises it again
  untilChainCloses(*this);
  EXPECT_EQ(p.minGroup, 4);
}

TEST_F(PowerUps, TwelveBluesGiveTwelveLaserShots) {
  land(*this, {"BBBBBB.", "BBBBBB."});
  EXPECT_EQ(p.laserCharges, 12);
  EXPECT_EQ(p.laserChargedTimer, 3146);
  untilChainCloses(*this);
  sounds.names.clear();
  press({PowerUp});
  frames(1, 16);
  EXPECT_EQ(p.laserCharges, 11);
  EXPECT_EQ(p.lasersTimer, 3146 - 16);  // set, then one frame ran down
  frames(200, 1);
  EXPECT_TRUE(p.lasers.empty());  // the empty column let it through
  EXPECT_EQ(sounds.names, Lines{"Laser"});
}

TEST_F(PowerUps, ALaserShotHitsTheTopOfAStack) {
  p.laserCharges = 11;
  draw(p, {"...Y...", "...G...", "...B..."});
  press({PowerUp});
  frames(1, 0);  // fired at row 12; ten rows down to row 2 at 8000 per ms: 82 ms
  frames(81, 1);
  EXPECT_EQ(p.lasers.size(), 1u);
  frames(1, 1);
  EXPECT_TRUE(p.lasers.empty());
  const Cell& hit = p.board.at(3, 2);
  EXPECT_EQ(hit.colour, -1);
  EXPECT_EQ(hit.oldColour, Colour::Yellow);
  EXPECT_EQ(hit.flags & (Cell::Exploding | Cell::LaserHit), Cell::Exploding | Cell::LaserHit);
  EXPECT_EQ(sounds.count("Explode"), 1);
  EXPECT_EQ(p.laserCharges, 10);
}

TEST_F(PowerUps, EraseTakesTheCommonestColoursNotOutnumberedByWilds) {
  draw(p, {"R.R.R.."});
  p.bank.apply(p, Colour::White, 10, false, events);
  EXPECT_EQ(pieceCount(p), 0);
  EXPECT_EQ(p.message.str(), "Erased Red!");
  EXPECT_EQ(p.messageTimer, 3146);
  EXPECT_EQ(p.chainPieces, 3);
  for (int strength : {2, 1}) {
    draw(p, {"B.B.B..", "R.R.G.."});
    p.bank.apply(p, Colour::White, 8 + strength, false, events);
    EXPECT_EQ(p.message.str(), strength == 2 ? "Erased Blue\nErased Red!" : "Erased Blue!");
    EXPECT_EQ(pieceCount(p), strength == 2 ? 1 : 3);
  }
  draw(p, {"**R.B.."});
  p.bank.apply(p, Colour::White, 10, false, events);
  EXPECT_EQ(p.message.str(), "");
  EXPECT_EQ(pieceCount(p), 4);
}

TEST_F(PowerUps, PurpleTurnsThreeOwnPiecesWild) {
  land(*this, {"KKKKKKK", "KKKKKKK", "PPPPPKK"});
  EXPECT_EQ(pieceCount(p, Colour::Wild), 3);
  EXPECT_EQ(p.wildsAddedTimer, 3146);
}

TEST_F(Versus, SevenPiecesSendTheOpponentOneRowWhenTheChainCloses) {
  land(*this, {"KKKKKKK"});
  EXPECT_EQ(theirs.bank.incoming, 7);
  EXPECT_EQ(mine.bank.incoming, 0);
  untilChainCloses(*this);
  EXPECT_EQ(theirs.pendingRows, 1);  // 7 / 6
  EXPECT_EQ(theirs.bank.incoming, 0);
}

TEST_F(Versus, TheIncomingMeterIsCappedAtNineRows) {
  PowerUpMessage lots{SendDuds, Colour::Black, 100, 0};
  for (Player* both : {&mine, &theirs}) both->bank.receive(*both, lots, events);
  EXPECT_EQ(theirs.bank.incoming, 54);  // capped at (13 - 4) * (7 - 1)
  EXPECT_EQ(mine.bank.incoming, 0);
}

TEST_F(Versus, OrangeTurnsOpponentPiecesToDudsUnlessShielded) {
  for (bool shielded : {false, true}) {
    SCOPED_TRACE(shielded ? "shielded" : "open");
    draw(theirs, {"RGBRGBR", "GBRGBRG"});
    theirs.shieldTimer = shielded ? 5000 : 0;
    theirs.dudsAddedTimer = theirs.bank.incoming = 0;
    land(*this, {"OOOOO.."});
    EXPECT_EQ(pieceCount(theirs, Colour::Dud), shielded ? 0 : 4);
    EXPECT_EQ(pieceCount(theirs), 14);
    EXPECT_EQ(theirs.dudsAddedTimer, shielded ? 0 : 3146);
    EXPECT_EQ(theirs.bank.incoming, shielded ? 0 : 5);
    EXPECT_EQ(pieceCount(mine, Colour::Dud), 0);  // never one's own board
    untilChainCloses(*this);
  }
}

TEST_F(Versus, StoredPowerUpsAreUsedLastFirst) {
  draw(mine, {"YYYYY..", "BBBBB..", "RRRRR.."});
  for (int row = 0; row < 3; ++row) check(mine, 0, row);
  frames(1, 16);
  ASSERT_EQ(mine.bank.stored.size(), 3u);
  EXPECT_EQ(mine.minGroup, 4);  // stored, not applied
  untilChainCloses(*this);
  press({PowerUp, PowerUp, PowerUp});
  frames(1, 16);  // yellow: the opponent slows down
  EXPECT_EQ(theirs.slowTimer, 6292);
  EXPECT_EQ(mine.slowTimer, 0);
  mine.pendingRows = 3;
  mine.bank.incoming = 20;
  frames(1, 16);  // blue: a shield that also clears what is owed
  EXPECT_EQ(mine.shieldTimer, 6292 - 16);
  EXPECT_EQ(mine.pendingRows, 0);
  EXPECT_EQ(mine.bank.incoming, 0);
  frames(1, 16);  // red: easier reactions
  EXPECT_EQ(mine.minGroup, 3);
  press({PowerUp});
  frames(1, 16);  // nothing left: nothing happens
  EXPECT_TRUE(mine.bank.stored.empty());
  EXPECT_EQ(mine.minGroup, 3);
}
