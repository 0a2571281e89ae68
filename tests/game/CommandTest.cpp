#include "Table.h"

using namespace Command;
using Commands = Practice;

TEST_F(Commands, CursorTakesAbout131MillisecondsPerColumnStopsAtEdgesAndSlows) {
  auto msToSettle = [this] {
    int ms = 0;
    for (; p.cursorPos != p.cursorColumn * FixedOne && ms < 10000; ++ms) frames(1, 1);
    return ms;
  };
  EXPECT_EQ(p.cursorColumn, 3);
  press({Right});
  frames(1, 0);                  // the command is taken; the cursor starts next frame
  EXPECT_EQ(msToSettle(), 132);  // 500 per ms: 131 ms leave it 36 short
  p.slowTimer = 100000;
  press({Left});
  frames(1, 0);
  EXPECT_EQ(msToSettle(), 328);  // 200 per ms, truncated
  EXPECT_EQ(p.cursorPos, 3 * FixedOne);
  // Against the edge a press goes nowhere, but still takes its frame.
  press({Left, Left, Left, Left, Left, Right});
  frames(4, 0);
  EXPECT_EQ(p.cursorColumn, 0);
  EXPECT_EQ(p.commands.size(), 2u);
  frames(1, 0);
  EXPECT_EQ(p.cursorColumn, 0);
  EXPECT_EQ(p.commands.size(), 1u);
  p.cursorColumn = 6;
  p.cursorPos = 6 * FixedOne;
  press({Right});
  frames(2, 0);
  EXPECT_EQ(p.cursorColumn, 6);
  EXPECT_TRUE(p.commands.empty());
}

TEST_F(Commands, GrabMoveAndDropWaitForTheFlightAndTheCursor) {
  draw(p, {"...R...", "...R...", "..BB..."});
  press({Grab, Right, Drop});
  frames(1, 16);
  EXPECT_EQ(p.actionState, GrabFlight);
  EXPECT_EQ(p.heldColour, Colour::Red);
  EXPECT_EQ(p.flightCount, 2);
  EXPECT_EQ(p.flightColumn, 3);
  EXPECT_EQ(picture(p, 3), (Lines{".......", ".......", "..BB..."}));
  frames(1, 16);  // Right is taken at once, while the pieces still fly
  EXPECT_EQ(p.cursorColumn, 4);
  EXPECT_EQ(p.commands.size(), 1u);
  // A row flies by in about 16.4 ms: twelve rows up to the cursor.
  int count = 0;
  for (; p.actionState == GrabFlight; ++count) frames(1, 16);
  EXPECT_EQ(count, 11);
  EXPECT_EQ(p.actionState, Holding);
  EXPECT_EQ(p.heldCount, 2);
  EXPECT_EQ(p.commands.size(), 1u);  // Drop still waits for the cursor
  while (p.actionState == Holding) frames(1, 16);
  EXPECT_EQ(p.cursorPos, 4 * FixedOne);
  EXPECT_EQ(p.actionState, DropFlight);
  while (p.actionState == DropFlight) frames(1, 16);
  EXPECT_EQ(p.actionState, Idle);  // DropDone lasts only the landing update
  EXPECT_EQ(p.heldColour, -1);
  EXPECT_EQ(picture(p, 3), (Lines{".......", "....R..", "..BBR.."}));
  EXPECT_EQ(sounds.names, (Lines{"Grab", "Drop"}));
}

TEST_F(Commands, GrabTakesOnlyTheHeldColourNeverAReactingPieceAndDoublesWithACharge) {
  draw(p, {"...R...", "...B..."});
  hold(p, Colour::Blue, 2);
  press({Grab});
  frames(1, 16);
  EXPECT_EQ(p.actionState, Holding);
  EXPECT_EQ(p.heldCount, 2);
  EXPECT_EQ(pieceCount(p), 2);

  // A top piece that is changing colour cannot be taken; an empty action goes idle.
  p.actionState = Idle;
  p.heldColour = -1;
  p.heldCount = 0;
  draw(p, {"...Y...", "...Y..."});
  p.board.at(3, 1).flags = Cell::Exploding;
  press({Grab});
  frames(1, 0);
  EXPECT_EQ(p.actionState, Idle);
  EXPECT_EQ(p.heldColour, -1);
  EXPECT_EQ(pieceCount(p), 2);
  EXPECT_EQ(sounds.count("Grab"), 0);

  draw(p, {"...G...", "...G...", "...G..."});
  p.doublerCharges = 1;
  press({Grab});
  while (p.actionState != Holding) frames(1, 16);
  EXPECT_EQ(p.heldCount, 6);
  EXPECT_EQ(p.doublerCharges, 0);
}

TEST_F(Commands, DroppedPiecesWithoutRoomVanishAndTopThePlayerOut) {
  // Column 3 has two free cells at the top; nothing in it matches yellow.
  Lines stack(2, ".......");
  for (int row = 10; row >= 0; --row) stack.push_back(row % 2 ? "...G..." : "...B...");
  draw(p, stack);
  hold(p, Colour::Yellow, 3);
  press({Drop});
  while (p.actionState != Idle) frames(1, 16);
  EXPECT_EQ(picture(p, 13)[0], "...Y...");
  EXPECT_EQ(picture(p, 13)[1], "...Y...");
  EXPECT_EQ(pieceCount(p), 13);
  EXPECT_EQ(p.flightCount, 0);
  EXPECT_EQ(p.heldCount, 0);
  EXPECT_FALSE(p.alive);  // the column reached the top row: topped out
}

TEST_F(Commands, PullDownDuringASlideDoesNothingButOntoAFullTopRowEndsThePlayer) {
  draw(p, {"RGBRGBR"});
  press({PullDown, PullDown});
  frames(2, 1);
  EXPECT_EQ(picture(p, 3)[0], ".......");  // one new row, not two
  EXPECT_TRUE(p.alive);
  frames(200, 1);  // the slide is over
  // The top row holds a piece in the last moment of its explosion: the refused row ends
  // the player, and the cell clearing in the same frame does not bring it back.
  explode(p, 0, 12, Colour::Red, FixedOne - 10);
  press({PullDown});
  EXPECT_EQ(p.update(1), 0);
  EXPECT_FALSE(p.alive);
  EXPECT_FALSE(p.board.at(0, 12).is(Cell::Exploding));
}
