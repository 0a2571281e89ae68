#include <gtest/gtest.h>

#include <memory>

#include "Colour.h"
#include "Display.h"
#include "Game.h"
#include "GameLayout.h"
#include "HumanController.h"
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
  Game game;
  HumanController controllers[2];

  explicit Frame(int mode = 0, int antialias = 0) {
    settings.Antialias = antialias;
    settings.DisplayTime = 1;
    display.splashTime = 0;
    display.loadGraphics();
    layout = std::make_unique<GameLayout>(mode);
    game.layout = layout.get();
    for (int i = 0; i < layout->playerCount; ++i) controllers[i].attach(&game, i);
  }
  Player& player(int i = 0) { return game.players[i]; }
  Board& board(int i = 0) { return game.players[i].board; }
  void draw() { display.renderFrame(&game); }
  Rgb at(int x, int y) { return pixelAt(display.screen, x, y); }
  int left(int i = 0) const { return layout->boardRects[i].x; }
  int top(int i = 0) const { return layout->boardRects[i].y; }
  // A point of a cell's place on screen, dy pixels below its top edge.
  Rgb cell(int column, int row, int dy = 24, int i = 0) {
    return at(left(i) + column * 32 + 16, top(i) + row * 32 + dy);
  }
};

// Full channels read back exactly from the 16-bit screen.
const Rgb White = {255, 255, 255}, Black = {0, 0, 0}, PureRed = {255, 0, 0},
          PureGreen = {0, 255, 0}, &Red = PieceColours[Colour::Red],
          &Blue = PieceColours[Colour::Blue], &Green = PieceColours[Colour::Green];

}  // namespace

TEST(Playfield, RowZeroOnTopFallingPiecesRiseOffsetAndFlightsMoveWhatIsDrawn) {
  Frame frame;
  frame.board().setCell(2, 0, Colour::Red);  // the top row, furthest from the cursor
  frame.board().setCell(5, 12, Colour::Blue);
  frame.board().setCell(1, 5, Colour::Green);
  frame.board().at(1, 5).flags = Cell::Falling;
  frame.board().at(1, 5).fall = FixedOne / 2;
  frame.draw();
  EXPECT_EQ(frame.cell(2, 0, 0), Red);
  EXPECT_EQ(frame.cell(2, 0, 31), Red);
  EXPECT_EQ(frame.cell(2, 1, 0), Background1p);
  EXPECT_EQ(frame.cell(5, 12), Blue);
  EXPECT_EQ(frame.at(frame.left() + 2 * 32 - 1, frame.top() + 16), Background1p);
  // Half way from row 6's place (below on screen) up to its own.
  EXPECT_EQ(frame.cell(1, 5, 15), Background1p);
  EXPECT_EQ(frame.cell(1, 5, 16), Green);
  EXPECT_EQ(frame.cell(1, 6, 15), Green);
  EXPECT_EQ(frame.cell(1, 6, 16), Background1p);

  // A new row half slid in lifts everything by 16 pixels; nothing shows above the board.
  frame.board().riseOffset = -FixedOne / 2;
  frame.draw();
  EXPECT_EQ(frame.cell(2, 0, 0), Red);
  EXPECT_EQ(frame.cell(1, 5, 0), Green);
  EXPECT_EQ(frame.at(frame.left() + 2 * 32 + 16, frame.top() - 2), Background1p);
  frame.board().riseOffset = -FixedOne;
  frame.draw();
  EXPECT_EQ(frame.cell(2, 0, 0), Background1p);  // row 0 is clipped away

  // Flights pass under their column's pieces and vanish 1.5 rows above the bottom edge.
  frame.board().riseOffset = 0;
  Player& p = frame.player();
  p.flightColumn = 4, p.flightCount = 2, p.flightRow = 10, p.flightPos = 0;
  p.heldColour = Colour::Blue;
  frame.board().setCell(4, 10, Colour::Green);
  frame.draw();
  EXPECT_EQ(frame.cell(4, 10, 16), Green);
  EXPECT_EQ(frame.cell(4, 11, 15), Blue);  // at position 0 one row below their row
  EXPECT_EQ(frame.cell(4, 11, 16), Background1p);
  EXPECT_EQ(frame.cell(4, 12, 8), Background1p);
}

TEST(Playfield, AWildPieceShowsEachTrueColourInTurnFrameByFrame) {
  Frame frame;
  frame.board().setCell(6, 3, Colour::Wild);
  for (int n = 0; n < 9; ++n) {
    frame.draw();
    EXPECT_EQ(frame.cell(6, 3), PieceColours[n % 8]) << "frame " << n;
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
  int x0 = frame.left(), y = frame.top() + 9 * 32;
  EXPECT_EQ(frame.at(x0 + 2, y - 1), Black);
  EXPECT_EQ(frame.at(x0 + 2, y + 1), Black);
  EXPECT_EQ(frame.at(x0 + 5, y), White);
  EXPECT_EQ(frame.at(x0 + 9, y), White);
  EXPECT_EQ(frame.at(x0 + 10, y), Black);
  EXPECT_EQ(frame.at(x0 + 215, y), White);
  EXPECT_EQ(frame.at(x0 + 8, y + 2), Red);
  EXPECT_EQ(frame.at(x0 + 8, y - 2), Background1p);
}

TEST(Playfield, TheCursorFrontShowsTheHeldColourOnlyWhilePiecesAreHeld) {
  Frame frame;
  Player& p = frame.player();
  int x = frame.left() + 3 * 32, y = frame.top() + 13 * 32 - 40;  // on the bottom edge
  p.heldColour = Colour::Orange;
  frame.draw();
  EXPECT_EQ(frame.at(x + 2, y + 2), EmptyCursor);
  EXPECT_EQ(frame.at(x + 2, y + 20), CursorBack);
  EXPECT_EQ(frame.at(x + 31, y + 20), Background1p);  // cyan is the key
  p.heldCount = 3;
  frame.draw();
  EXPECT_EQ(frame.at(x + 2, y + 2), artColour(CursorFront, Colour::Orange));
  p.cursorPos = 3 * FixedOne + FixedOne / 2;  // half way to the next column
  p.heldColour = Colour::Wild;
  frame.display.frameCounter = 5;
  frame.draw();
  EXPECT_EQ(frame.at(x + 16, y + 2), artColour(CursorFront, 5));
  EXPECT_EQ(frame.at(x + 15, y + 2), Background1p);
}

TEST(Playfield, DestroyedPiecesFadeUnderSparklesOrAnExplosionAndOthersStaySolid) {
  for (int antialias : {0, 1}) {
    Frame frame(0, antialias);
    Cell& gone = frame.board().at(1, 3);
    gone.flags = Cell::Exploding;
    gone.oldColour = Colour::Red;
    frame.board().setCell(1, 2, Colour::Red);  // drawn after it, same image
    frame.draw();
    EXPECT_EQ(frame.cell(1, 3, 4), artColour(Sparkle, 1));  // the top half of the cell
    EXPECT_EQ(frame.cell(1, 3, 24), Red);
    gone.timer = 32768;
    frame.draw();
    EXPECT_EQ(frame.cell(1, 3, 4), artColour(Sparkle, 6));
    EXPECT_EQ(frame.cell(1, 2, 24), Red);
    // Only the hard-edged image can fade; a smooth one keeps its clear edges afterwards.
    if (!antialias) {
      EXPECT_NEAR(frame.cell(1, 3, 24).r, (Red.r + Background1p.r) / 2, 10);
    }
    EXPECT_EQ(frame.cell(1, 1, 30), Background1p);
    gone.flags |= Cell::LaserHit;
    frame.draw();
    EXPECT_EQ(frame.cell(1, 3, 4), artColour(Explosion, 4));
  }
}

TEST(Playfield, TwoPlayersBanksShowTwelveAtMostAndALoserSeesResultsWhileTheOtherPlays) {
  Frame frame(1);
  auto& stored = frame.player(1).bank.stored;
  for (int n = 0; n < 13; ++n) stored.push_back({n % 2 ? Colour::Blue : Colour::Red, 5});
  stored.back().kind = Colour::Green;  // the one PowerUp uses next, at the bottom
  frame.player(0).alive = false;
  frame.player(1).chainCount = 3;
  frame.draw();
  const SDL_Rect& bank = frame.layout->bankRects[1];
  int x = bank.x + 16, bottom = bank.y + bank.h;
  EXPECT_EQ(frame.at(x, bottom - 1), Green);
  EXPECT_EQ(frame.at(x, bottom - 33), Blue);
  EXPECT_EQ(frame.at(x, bank.y), Blue);  // the twelfth
  EXPECT_EQ(frame.at(x, bank.y - 1), Background2p);
  EXPECT_EQ(frame.at(frame.layout->bankRects[0].x + 16, bottom - 1), Background2p);
  // "You lose..." in red 30 in and down; "2 chain!" in white 15 in.
  EXPECT_EQ(frame.at(frame.left(0) + 30, frame.top(0) + 31), PureRed);
  EXPECT_EQ(frame.at(frame.left(1) + 15, frame.top(1) + 31), White);
  EXPECT_EQ(frame.at(frame.left(1) + 14, frame.top(1) + 31), Background2p);
}

TEST(Playfield, ScoreClockLevelAndABlinkingPauseNotice) {
  for (int mode : {0, 2}) {
    Frame frame(mode);
    frame.player().score = 12.5;
    frame.draw();
    // The clock at the top left, the level line under it in Survival only.
    EXPECT_EQ(frame.at(1, 1), White);
    EXPECT_EQ(frame.at(1, 13), mode == 2 ? White : Background1p) << mode;
    // "12.500" ends on the score rectangle's right edge: five 6-wide digits and the
    // point drawn as glyph 0, 8 wide.
    const SDL_Rect& r = frame.layout->scoreRects[0];
    EXPECT_EQ(frame.at(r.x + r.w - 1, r.y + 2), White);
    EXPECT_EQ(frame.at(r.x + r.w - 38, r.y + 2), White);
    EXPECT_EQ(frame.at(r.x + r.w, r.y + 2), Background1p);
    EXPECT_EQ(frame.at(r.x + r.w - 39, r.y + 2), Background1p);
    settings.DisplayTime = 0;
    frame.draw();
    EXPECT_EQ(frame.at(1, 1), Background1p);
  }
  // "PAUSED", six 8-wide glyph 0s in green, centred, blinks by the clock, not by frames.
  Frame frame;
  frame.game.paused = true;
  auto noticeAt = [&](uint32_t ms) {
    frame.game.clock = [ms] { return ms; };
    frame.draw();
    return frame.at(296, 240) == PureGreen;
  };
  EXPECT_FALSE(noticeAt(299));
  EXPECT_TRUE(noticeAt(300));
  EXPECT_TRUE(noticeAt(300));
  EXPECT_TRUE(noticeAt(599));
  EXPECT_FALSE(noticeAt(600));
  frame.game.paused = false;
  EXPECT_FALSE(noticeAt(900));
}

TEST(Playfield, AGameWithoutItsBackgroundPictureIsDrawnOnBlack) {
  Frame frame;
  frame.art.remove("Backgrounds/1p.jpg");
  GameLayout bare(0);
  frame.game.layout = &bare;
  frame.board().setCell(0, 0, Colour::White);
  frame.draw();
  EXPECT_EQ(frame.at(2, 470), Black);
  EXPECT_EQ(frame.cell(0, 0), PieceColours[Colour::White]);
  frame.game.layout = frame.layout.get();
}
