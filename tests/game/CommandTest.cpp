#include "Table.h"

using namespace Command;
using Commands = Practice;

TEST_F(Commands, CursorTakesAbout131MillisecondsPerColumnAndSlowedHandsTakeLonger) {
  auto msToSettle = [this](int command) {
    press({command});
    frames(1, 0);  // the command is taken; the cursor starts next frame
    int ms = 0;
    for (; p.cursorPos != p.cursorColumn * FixedOne && ms < 10000; ++ms) frames(1, 1);
    return ms;
  };
  EXPECT_EQ(msToSettle(Right), 132);  // 500 per ms: 131 ms leave it 36 short
  p.slowTimer = 100000;
  EXPECT_EQ(msToSettle(Left), 328);  // 200 per ms, truncated
  EXPECT_EQ(p.cursorPos, 3 * FixedOne);
  draw(p, {"...R..."});  // and grabbed pieces fly a third as fast
  press({Grab});
  int count = 0;
  for (; p.actionState != Holding && count < 100; ++count) frames(1, 16);
  EXPECT_EQ(count, 40);  // thirteen rows at a third of 4000 per ms, not fourteen frames
}

TEST_F(Commands, AGrabWhileHoldingTakesOnlyMoreOfTheHeldColourDoubledByACharge) {
  draw(p, {"...B.R.", "...B.R."});
  hold(p, Colour::Red, 1);
  press({Grab});  // blues under the cursor: nothing taken, and the red stays red
  frames(30, 16);
  EXPECT_EQ(p.heldColour, Colour::Red);
  EXPECT_EQ(p.heldCount, 1);
  EXPECT_EQ(pieceCount(p, Colour::Blue), 2);
  p.doublerCharges = 1;
  press({Right, Right, Grab});
  frames(60, 16);
  EXPECT_EQ(p.actionState, Holding);
  EXPECT_EQ(p.heldCount, 5);  // one, and two reds twice over
  EXPECT_EQ(p.doublerCharges, 0);
  EXPECT_EQ(pieceCount(p), 2);
}

TEST_F(Commands, APressAgainstTheEdgeGoesNowhereButTakesItsFrame) {
  press({Left, Left, Left, Left, Left, Right});
  frames(4, 0);
  EXPECT_EQ(p.cursorColumn, 0);
  EXPECT_EQ(p.commands.size(), 2u);
  p.cursorColumn = 6;
  p.cursorPos = 6 * FixedOne;
  press({Right});
  frames(3, 0);
  EXPECT_EQ(p.cursorColumn, 6);
  EXPECT_TRUE(p.commands.empty());
}

TEST_F(Commands, GrabMoveAndDropWaitForTheFlightAndTheCursor) {
  draw(p, {"...R...", "...R...", "..BB..."});
  press({Grab, Right, Drop});
  frames(1, 16);
  EXPECT_TRUE(p.actionState == GrabFlight && p.heldColour == Colour::Red && p.flightCount == 2);
  EXPECT_EQ(picture(p, 3), (Lines{".......", ".......", "..BB..."}));
  frames(1, 16);  // Right is taken at once, while the pieces still fly
  EXPECT_EQ(p.cursorColumn, 4);
  int count = 0;  // a row flies by in about 16.4 ms: twelve rows up to the cursor
  for (; p.actionState == GrabFlight; ++count) frames(1, 16);
  EXPECT_EQ(count, 11);
  EXPECT_EQ(p.heldCount, 2);
  while (p.actionState == Holding) frames(1, 16);  // Drop waits for the cursor
  EXPECT_EQ(p.cursorPos, 4 * FixedOne);
  while (p.actionState == DropFlight) frames(1, 16);
  EXPECT_EQ(p.actionState, Idle);  // DropDone lasts only the landing update
  EXPECT_EQ(p.heldColour, -1);
  EXPECT_EQ(picture(p, 3), (Lines{".......", "....R..", "..BBR.."}));
  EXPECT_EQ(sounds.names, (Lines{"Grab", "Drop"}));
}

TEST_F(Commands, DroppedPiecesWithoutRoomVanishAndTopThePlayerOut) {
  Lines stack(2, ".......");  // two free cells at the top; nothing matches yellow
  for (int row = 10; row >= 0; --row) stack.push_back(row % 2 ? "...G..." : "...B...");
  draw(p, stack);
  hold(p, Colour::Yellow, 3);
  press({Drop});
  while (p.actionState != Idle) frames(1, 16);
  Lines top = picture(p);
  EXPECT_EQ(Lines(top.begin(), top.begin() + 2), (Lines{"...Y...", "...Y..."}));
  EXPECT_EQ(pieceCount(p) + p.flightCount + p.heldCount, 13);
  EXPECT_FALSE(p.alive);
}

TEST_F(Commands, PullDownOntoAFullTopRowEndsThePlayerEvenAsTheTopClears) {
  // The top row holds a piece in the last moment of its explosion: the refused row ends
  // the player, and the cell clearing in the same frame does not bring it back.
  explode(p, 0, 12, Colour::Red, FixedOne - 10);
  press({PullDown});
  EXPECT_EQ(p.update(1, game.state, events), 0);
  EXPECT_FALSE(p.alive);
  EXPECT_FALSE(p.board.at(0, 12).is(Cell::Exploding));
}
