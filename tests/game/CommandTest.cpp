#include <gtest/gtest.h>

#include "Binding.h"
#include "Colour.h"
#include "Table.h"

using Lines = std::vector<std::string>;
using namespace Command;

namespace {
// Frames of 1 ms until the player's cursor stands still over its column.
int msToSettle(Table& table) {
  Player& p = table.player();
  int ms = 0;
  while (p.cursorPos != p.cursorColumn * FixedOne && ms < 10000) {
    table.frames(1, 1);
    ++ms;
  }
  return ms;
}
}  // namespace

TEST(Cursor, TakesAbout131MillisecondsPerColumnAnd328WhenSlowed) {
  Table table;
  Player& p = table.player();
  EXPECT_EQ(p.cursorColumn, 3);
  table.press({Right});
  table.frames(1, 0);                 // the command is taken; the cursor starts next frame
  EXPECT_EQ(msToSettle(table), 132);  // 500 per ms: 131 ms leave it 36 short
  p.slowTimer = 100000;
  table.press({Left});
  table.frames(1, 0);
  EXPECT_EQ(msToSettle(table), 328);  // 200 per ms, truncated
  EXPECT_EQ(p.cursorPos, 3 * FixedOne);
}

TEST(Cursor, StopsAtTheEdgesButEachPressStillTakesAFrame) {
  Table table;
  Player& p = table.player();
  table.press({Left, Left, Left, Left, Left, Right});
  table.frames(4, 0);
  EXPECT_EQ(p.cursorColumn, 0);
  EXPECT_EQ(p.commands.size(), 2u);
  table.frames(1, 0);
  EXPECT_EQ(p.cursorColumn, 0);
  EXPECT_EQ(p.commands.size(), 1u);
  p.cursorColumn = 6;
  p.cursorPos = 6 * FixedOne;
  table.press({Right});
  table.frames(2, 0);
  EXPECT_EQ(p.cursorColumn, 6);
  EXPECT_TRUE(p.commands.empty());
}

TEST(Commands, GrabMoveAndDropWaitForTheFlightAndTheCursor) {
  Table table;
  Player& p = table.player();
  draw(p, {"...R...", "...R...", "..BB..."});
  table.press({Grab, Right, Drop});
  table.frames(1, 16);
  EXPECT_EQ(p.actionState, GrabFlight);
  EXPECT_EQ(p.heldColour, Colour::Red);
  EXPECT_EQ(p.flightCount, 2);
  EXPECT_EQ(p.flightColumn, 3);
  EXPECT_EQ(picture(p, 3), (Lines{".......", ".......", "..BB..."}));
  table.frames(1, 16);  // Right is taken at once, while the pieces still fly
  EXPECT_EQ(p.cursorColumn, 4);
  EXPECT_EQ(p.commands.size(), 1u);
  // A row flies by in about 16.4 ms: twelve rows up to the cursor.
  int frames = 0;
  while (p.actionState == GrabFlight) {
    table.frames(1, 16);
    ++frames;
  }
  EXPECT_EQ(frames, 11);
  EXPECT_EQ(p.actionState, Holding);
  EXPECT_EQ(p.heldCount, 2);
  EXPECT_EQ(p.commands.size(), 1u);  // Drop still waits for the cursor
  while (p.actionState == Holding) table.frames(1, 16);
  EXPECT_EQ(p.cursorPos, 4 * FixedOne);
  EXPECT_EQ(p.actionState, DropFlight);
  while (p.actionState == DropFlight) table.frames(1, 16);
  EXPECT_EQ(p.actionState, Idle);  // DropDone lasts only the landing update
  EXPECT_EQ(p.heldColour, -1);
  EXPECT_EQ(picture(p, 3), (Lines{".......", "....R..", "..BBR.."}));
  EXPECT_EQ(table.sounds.count("Grab"), 1);
  EXPECT_EQ(table.sounds.count("Drop"), 1);
}

TEST(Commands, GrabAddsOnlyTheHeldColourAndNeverAReactingPiece) {
  Table table;
  Player& p = table.player();
  draw(p, {"...R...", "...B..."});
  p.actionState = Holding;
  p.heldColour = Colour::Blue;
  p.heldCount = 2;
  table.press({Grab});
  table.frames(1, 16);
  EXPECT_EQ(p.actionState, Holding);
  EXPECT_EQ(p.heldCount, 2);
  EXPECT_EQ(pieceCount(p), 2);

  // A top piece that is changing colour cannot be taken; an empty action goes idle.
  Table other;
  Player& q = other.player();
  draw(q, {"...Y...", "...Y..."});
  q.board.at(3, 1).flags = Cell::Exploding;
  other.press({Grab});
  other.frames(1, 0);
  EXPECT_EQ(q.actionState, Idle);
  EXPECT_EQ(q.heldColour, -1);
  EXPECT_EQ(pieceCount(q), 2);
  EXPECT_EQ(other.sounds.count("Grab"), 0);
}

TEST(Commands, DoublerChargeDoublesTheGrabbedPieces) {
  Table table;
  Player& p = table.player();
  draw(p, {"...G...", "...G...", "...G..."});
  p.doublerCharges = 1;
  table.press({Grab});
  while (p.actionState != Holding) table.frames(1, 16);
  EXPECT_EQ(p.heldCount, 6);
  EXPECT_EQ(p.doublerCharges, 0);
}

TEST(Commands, DroppedPiecesWithoutRoomVanish) {
  Table table;
  Player& p = table.player();
  // Column 3 has two free cells at the top; nothing in it matches yellow.
  draw(p, {".......", ".......", "...B...", "...G...", "...B...", "...G...", "...B...", "...G...",
           "...B...", "...G...", "...B...", "...G...", "...B..."});
  p.actionState = Holding;
  p.heldColour = Colour::Yellow;
  p.heldCount = 3;
  table.press({Drop});
  while (p.actionState != Idle) table.frames(1, 16);
  EXPECT_EQ(picture(p, 13)[0], "...Y...");
  EXPECT_EQ(picture(p, 13)[1], "...Y...");
  EXPECT_EQ(pieceCount(p), 13);
  EXPECT_EQ(p.flightCount, 0);
  EXPECT_EQ(p.heldCount, 0);
  EXPECT_FALSE(p.alive);  // the column reached the top row: topped out
}

TEST(Commands, PullDownDuringASlideDoesNothingButOntoAFullTopRowEndsThePlayer) {
  Table table;
  Player& p = table.player();
  draw(p, {"RGBRGBR"});
  table.press({PullDown, PullDown});
  table.frames(2, 1);
  EXPECT_EQ(picture(p, 3)[0], ".......");  // one new row, not two
  EXPECT_TRUE(p.alive);
  table.frames(200, 1);  // the slide is over
  // The top row holds a piece in the last moment of its explosion: the refused row ends
  // the player, and the cell clearing in the same frame does not bring it back.
  Cell& top = p.board.at(0, 12);
  top.flags = Cell::Exploding;
  top.oldColour = Colour::Red;
  top.timer = FixedOne - 10;
  table.press({PullDown});
  EXPECT_EQ(p.update(1), 0);
  EXPECT_FALSE(p.alive);
  EXPECT_FALSE(p.board.at(0, 12).is(Cell::Exploding));
}
