#include <gtest/gtest.h>

#include <memory>

#include "Colour.h"
#include "Display.h"
#include "Game.h"
#include "GameLayout.h"
#include "GameLoop.h"
#include "TestArt.h"

namespace {

// A game of one mode on the dummy screen with the test art, ready to draw. In the
// one-player layout the board's corner is (191, 33); row 0 is the top row on screen.
struct Frame {
  SettingsGuard guard;
  TestArt art;
  VideoSession video;
  Display display;
  std::unique_ptr<GameLayout> layout;
  std::unique_ptr<GameLoop> loop;

  explicit Frame(int mode = 0, int antialias = 0) {
    settings.Antialias = antialias;
    settings.DisplayTime = 1;
    display.splashTime = 0;
    display.loadGraphics();
    layout = std::make_unique<GameLayout>(mode);
    loop = std::make_unique<GameLoop>(*layout);
    loop->layout = layout.get();
  }
  Player& player(int i = 0) { return loop->game.players[i]; }
  Board& board() { return player(0).board; }
  void draw() { display.renderFrame(loop.get()); }
  Rgb at(int x, int y) { return pixelAt(display.screen, x, y); }
  int left(int i = 0) const { return layout->boardRects[i].x; }
  int top(int i = 0) const { return layout->boardRects[i].y; }
  // A point of a cell's place on screen, dy pixels below its top edge.
  Rgb cell(int column, int row, int dy = 24) {
    return at(left() + column * 32 + 16, top() + row * 32 + dy);
  }
};

// Full channels read back exactly from the 16-bit screen.
const Rgb White = {255, 255, 255}, Black = {0, 0, 0}, &Red = PieceColours[Colour::Red],
          &Green = PieceColours[Colour::Green], &Back = Background1p;

}  // namespace

TEST(Playfield, FallingPiecesAndARisingRowAreDrawnPartWay) {
  Frame frame;
  Board& board = frame.board();
  board.setCell(1, 5, Colour::Green);
  board.at(1, 5).flags = Cell::Falling;
  board.at(1, 5).fall = FixedOne / 2;  // half way up from row 6's place (below on screen)
  frame.draw();
  EXPECT_EQ(frame.cell(1, 5, 15), Back);
  EXPECT_EQ(frame.cell(1, 6, 15), Green);
  EXPECT_EQ(frame.cell(1, 6, 16), Back);
  board.setCell(2, 0, Colour::Red);
  for (int half : {1, 2}) {  // a new row sliding in lifts everything; nothing shows above
    board.riseOffset = -FixedOne * half / 2;
    frame.draw();
    EXPECT_EQ(frame.cell(2, 0, 0), half == 1 ? Red : Back);
    EXPECT_EQ(frame.at(frame.left() + 2 * 32 + 16, frame.top() - 2), Back);
  }
}

TEST(Playfield, TheWarningLineStandsWherePendingAndWaitingRowsWillReach) {
  Frame frame;
  frame.player().pendingRows = 1;
  frame.player().bank.incoming = 13;  // two rows' worth on a board 7 wide
  frame.board().setCell(0, 9, Colour::Red);
  frame.draw();
  // Row 13 - 1 - 2 - 1 = 9: black from a pixel above its top edge, over the pieces,
  // with white dashes 5 long every 10 pixels along the middle.
  int x = frame.left(), y = frame.top() + 9 * 32;
  const struct {
    int dx, dy;
    Rgb colour;
  } points[] = {{2, -1, Black}, {2, 1, Black},   {5, 0, White}, {9, 0, White},
                {10, 0, Black}, {215, 0, White}, {8, 2, Red},   {8, -2, Back}};
  for (const auto& p : points)
    EXPECT_EQ(frame.at(x + p.dx, y + p.dy), p.colour) << p.dx << "," << p.dy;
}

TEST(Playfield, TheCursorFrontShowsTheHeldColourOnlyWhilePiecesAreHeld) {
  Frame frame;
  Player& p = frame.player();
  int x = frame.left() + 3 * 32, y = frame.top() + 13 * 32 - 40;  // on the bottom edge
  p.heldColour = Colour::Orange;
  frame.draw();
  EXPECT_EQ(frame.at(x + 2, y + 2), EmptyCursor);
  EXPECT_EQ(frame.at(x + 2, y + 20), CursorBack);
  EXPECT_EQ(frame.at(x + 31, y + 20), Back);  // cyan is the key
  p.heldCount = 3;
  frame.draw();
  EXPECT_EQ(frame.at(x + 2, y + 2), artColour(CursorFront, Colour::Orange));
  p.cursorPos = 3 * FixedOne + FixedOne / 2;  // half way to the next column
  p.heldColour = Colour::Wild;
  frame.display.frameCounter = 5;
  frame.draw();
  EXPECT_EQ(frame.at(x + 16, y + 2), artColour(CursorFront, 5));
  EXPECT_EQ(frame.at(x + 15, y + 2), Back);
}

TEST(Playfield, DestroyedPiecesFadeUnderSparklesOrAnExplosion) {
  for (int antialias : {0, 1}) {
    SCOPED_TRACE(antialias ? "smooth pieces" : "hard-edged pieces");
    Frame frame(0, antialias);
    Cell& gone = frame.board().at(1, 3);
    gone.flags = Cell::Exploding;
    gone.oldColour = Colour::Red;
    frame.board().setCell(1, 2, Colour::Red);  // drawn after it, same image, stays solid
    frame.draw();
    EXPECT_EQ(frame.cell(1, 3, 4), artColour(Sparkle, 1));  // over the top half of the cell
    EXPECT_EQ(frame.cell(1, 3, 24), Red);
    gone.timer = 32768;
    frame.draw();
    EXPECT_EQ(frame.cell(1, 3, 4), artColour(Sparkle, 6));
    EXPECT_EQ(frame.cell(1, 2, 24), Red);
    // Half faded, whichever image set (the 16-bit screen rounds the blend either way); a
    // smooth one keeps its clear edges afterwards.
    EXPECT_LE(std::abs(frame.cell(1, 3, 24).r - (Red.r + Back.r) / 2), 16);
    EXPECT_EQ(frame.cell(1, 1, 30), Back);
    gone.flags |= Cell::LaserHit;
    frame.draw();
    EXPECT_EQ(frame.cell(1, 3, 4), artColour(Explosion, 4));
    gone.timer = 65000;  // all but gone
    frame.draw();
    EXPECT_LE(std::abs(frame.cell(1, 3, 24).r - Back.r), 16);
  }
}
