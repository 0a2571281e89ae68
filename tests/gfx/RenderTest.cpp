#include <gtest/gtest.h>

#include <memory>

#include "Colour.h"
#include "Display.h"
#include "Game.h"
#include "GameLayout.h"
#include "HumanController.h"
#include "TestArt.h"

namespace {

const Rgb& colourOf(int colour) {
  return PieceColours[colour];
}

// A game of one mode on the dummy screen with the test art, players attached, ready to
// draw frames. In the one-player layout the board's corner is (191, 33); cells are 32
// pixels and row 0 is the top row on screen.
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
  // A point inside a cell's place on screen, dy pixels down from its top edge.
  Rgb cell(int column, int row, int dy = 24, int i = 0) {
    return at(left(i) + column * 32 + 16, top(i) + row * 32 + dy);
  }
  Rgb background() const {
    return layout->playerCount == 2 ? TwoPlayerBackground : OnePlayerBackground;
  }
  Rgb shown(Uint8 r, Uint8 g, Uint8 b) {
    Rgb c;
    SDL_GetRGB(SDL_MapRGB(display.screen->format, r, g, b), display.screen->format, &c.r, &c.g,
               &c.b);
    return c;
  }
};

const Rgb White = {255, 255, 255};
const Rgb Black = {0, 0, 0};

}  // namespace

TEST(Playfield, RowZeroIsDrawnAtTheTopOfTheBoardAndTheTopRowNextToTheCursor) {
  Frame frame;
  frame.board().setCell(2, 0, Colour::Red);
  frame.board().setCell(5, 12, Colour::Blue);
  frame.draw();
  EXPECT_EQ(frame.cell(2, 0, 1), colourOf(Colour::Red));
  EXPECT_EQ(frame.cell(2, 0, 31), colourOf(Colour::Red));
  EXPECT_EQ(frame.cell(2, 1, 1), frame.background());
  EXPECT_EQ(frame.cell(2, 12), frame.background());
  EXPECT_EQ(frame.cell(5, 12), colourOf(Colour::Blue));
  // The piece fills its cell exactly: the image's overhang is transparent.
  EXPECT_EQ(frame.at(frame.left() + 2 * 32 - 1, frame.top() + 16), frame.background());
}

TEST(Playfield, AFallingPieceHalfWayIsDrawnBetweenItsRowAndTheOneBelow) {
  Frame frame;
  frame.board().setCell(1, 5, Colour::Green);
  Cell& falling = frame.board().at(1, 5);
  falling.flags = Cell::Falling;
  falling.fall = FixedOne / 2;
  frame.draw();
  // Row 6 is below row 5 on screen; half way means 16 pixels down from row 5's place.
  EXPECT_EQ(frame.cell(1, 5, 15), frame.background());
  EXPECT_EQ(frame.cell(1, 5, 16), colourOf(Colour::Green));
  EXPECT_EQ(frame.cell(1, 6, 15), colourOf(Colour::Green));
  EXPECT_EQ(frame.cell(1, 6, 16), frame.background());
}

TEST(Playfield, TheRiseOffsetLiftsTheWholeStackAndClipsRowZeroAway) {
  Frame frame;
  frame.board().setCell(0, 0, Colour::Yellow);
  frame.board().setCell(0, 1, Colour::Purple);
  frame.board().riseOffset = -FixedOne / 2;
  frame.draw();
  EXPECT_EQ(frame.cell(0, 0, 0), colourOf(Colour::Yellow));  // the lower half still shows
  EXPECT_EQ(frame.cell(0, 0, 16), colourOf(Colour::Purple));
  EXPECT_EQ(frame.cell(0, 1, 16), frame.background());
  // Nothing of the board is drawn above its rectangle.
  EXPECT_EQ(frame.at(frame.left() + 16, frame.top() - 2), frame.background());

  frame.board().riseOffset = -FixedOne;
  frame.draw();
  EXPECT_EQ(frame.cell(0, 0, 0), colourOf(Colour::Purple));
  EXPECT_EQ(frame.cell(0, 0, 31), colourOf(Colour::Purple));
  EXPECT_EQ(frame.at(frame.left() + 16, frame.top() - 2), frame.background());
}

TEST(Playfield, PiecesInFlightPassUnderTheirColumnAndVanishAboveTheCursor) {
  Frame frame;
  Player& p = frame.player();
  p.flightColumn = 4;
  p.flightCount = 2;
  p.flightRow = 10;
  p.flightPos = 0;
  p.heldColour = Colour::Blue;
  frame.board().setCell(4, 9, Colour::Green);
  frame.draw();
  // At flight position 0 the pieces stand one row lower than their row: rows 11 and 12.
  // The clip ends 1.5 rows above the board's bottom edge, half way down row 11.
  EXPECT_EQ(frame.cell(4, 11, 0), colourOf(Colour::Blue));
  EXPECT_EQ(frame.cell(4, 11, 15), colourOf(Colour::Blue));
  EXPECT_EQ(frame.cell(4, 11, 16), frame.background());
  EXPECT_EQ(frame.cell(4, 12, 4), frame.background());

  // Half way on, the first piece overlaps the board's own piece in row 9, which wins.
  p.flightRow = 9;
  p.flightPos = FixedOne / 2;
  frame.draw();
  EXPECT_EQ(frame.cell(4, 9, 20), colourOf(Colour::Green));
  EXPECT_EQ(frame.cell(4, 10, 4), colourOf(Colour::Blue));
}

TEST(Playfield, AWildPieceShowsEachTrueColourInTurnFrameByFrame) {
  Frame frame;
  frame.board().setCell(6, 3, Colour::Wild);
  for (int n = 0; n < 9; ++n) {
    frame.draw();
    EXPECT_EQ(frame.cell(6, 3), colourOf(n % 8)) << "frame " << n;
  }
}

TEST(Playfield, TheWarningLineMarksWherePendingAndWaitingRowsWillReach) {
  Frame frame;
  Player& p = frame.player();
  p.pendingRows = 1;
  p.bank.incoming = 13;  // two rows' worth for a board 7 wide
  frame.board().setCell(0, 9, Colour::Red);
  frame.draw();
  // Row 13 - 1 - 2 - 1 = 9: a black band from one pixel above the row's top edge, over
  // the pieces, with white dashes 5 long every 10 pixels through its middle.
  int y = frame.top() + 9 * 32;
  int x0 = frame.left();
  EXPECT_EQ(frame.at(x0 + 2, y - 1), Black);
  EXPECT_EQ(frame.at(x0 + 2, y), Black);
  EXPECT_EQ(frame.at(x0 + 2, y + 1), Black);
  EXPECT_EQ(frame.at(x0 + 5, y), White);
  EXPECT_EQ(frame.at(x0 + 9, y), White);
  EXPECT_EQ(frame.at(x0 + 10, y), Black);
  EXPECT_EQ(frame.at(x0 + 215, y), White);
  EXPECT_EQ(frame.at(x0 + 220, y), Black);
  EXPECT_EQ(frame.at(x0 + 8, y + 2), colourOf(Colour::Red));
  EXPECT_EQ(frame.at(x0 + 8, y - 2), frame.background());
  // Where the line would be with the four rows a new game starts with.
  EXPECT_EQ(frame.at(x0 + 5, frame.top() + 8 * 32), frame.background());
}

TEST(Playfield, TheScoreEndsOnTheRightEdgeOfItsRectangle) {
  Frame frame;
  frame.player().score = 12.5;
  frame.draw();
  // "12.500": five 6-wide digits and the point as glyph 0, 8 wide: 38 pixels.
  const SDL_Rect& r = frame.layout->scoreRects[0];
  int right = r.x + r.w;
  EXPECT_EQ(frame.at(right - 1, r.y + 2), White);
  EXPECT_EQ(frame.at(right - 38, r.y + 2), White);
  EXPECT_EQ(frame.at(right, r.y + 2), frame.background());
  EXPECT_EQ(frame.at(right - 39, r.y + 2), frame.background());
}

TEST(Playfield, ThePauseNoticeBlinksByTheClockNotByFrames) {
  Frame frame;
  frame.game.paused = true;
  // "PAUSED" in the green font: six glyph-0 images, 48 wide, centred at mid-screen.
  const Rgb green = frame.shown(0, 255, 0);
  auto noticeAt = [&](uint32_t ms) {
    frame.game.clock = [ms] { return ms; };
    frame.draw();
    return frame.at(320 - 24, 240) == green && frame.at(320 + 23, 251) == green;
  };
  EXPECT_FALSE(noticeAt(0));
  EXPECT_FALSE(noticeAt(299));
  EXPECT_TRUE(noticeAt(300));
  EXPECT_TRUE(noticeAt(300));
  EXPECT_TRUE(noticeAt(599));
  EXPECT_FALSE(noticeAt(600));
  EXPECT_TRUE(noticeAt(900));
  frame.game.paused = false;
  EXPECT_FALSE(noticeAt(900));
}

TEST(Playfield, ALaserShotIsABlueBeamThatBrightensWithPlayTime) {
  Frame frame;
  Player& p = frame.player();
  p.lasers.push_back({2, 6, 0});
  p.elapsed = 1500;
  frame.draw();
  // 2.5 cells in, moved right by the overhang, centred on a 5-pixel beam.
  int x = frame.left() + 80 + 4 - 2;
  Rgb beam = frame.shown(0, 0, 127 + 63);
  EXPECT_EQ(frame.at(x, frame.top() + 6 * 32), beam);
  EXPECT_EQ(frame.at(x + 4, frame.top() + 7 * 32 - 1), beam);
  EXPECT_EQ(frame.at(x - 1, frame.top() + 6 * 32 + 5), frame.background());
  EXPECT_EQ(frame.at(x + 5, frame.top() + 6 * 32 + 5), frame.background());
  EXPECT_EQ(frame.at(x, frame.top() + 7 * 32), frame.background());
}

TEST(Playfield, TheCursorFrontShowsTheHeldColourOnlyWhilePiecesAreHeld) {
  Frame frame;
  Player& p = frame.player();
  // The cursor stands on the board's bottom edge, below the top row.
  int x = frame.left() + 3 * 32, y = frame.top() + 13 * 32 - 40;
  p.heldColour = Colour::Orange;
  p.heldCount = 0;
  frame.draw();
  EXPECT_EQ(frame.at(x + 2, y + 2), EmptyCursorColour);
  EXPECT_EQ(frame.at(x + 2, y + 20), CursorBackColour);
  EXPECT_EQ(frame.at(x + 31, y + 20), frame.background());  // the cyan key

  p.heldCount = 3;
  frame.draw();
  EXPECT_EQ(frame.at(x + 2, y + 2), cursorFrontColour(Colour::Orange));

  // It glides between columns with the 16.16 position.
  p.cursorPos = 3 * FixedOne + FixedOne / 2;
  p.heldColour = Colour::Wild;
  frame.display.frameCounter = 5;
  frame.draw();
  EXPECT_EQ(frame.at(x + 18, y + 2), cursorFrontColour(5));
  EXPECT_EQ(frame.at(x + 15, y + 2), frame.background());
}

TEST(Playfield, ADestroyedPieceFadesUnderItsSparklesOrItsExplosion) {
  Frame frame;
  frame.board().setCell(1, 2, Colour::Empty);
  Cell& gone = frame.board().at(1, 2);
  gone.flags = Cell::Exploding;
  gone.oldColour = Colour::Red;
  gone.timer = 0;
  frame.board().setCell(2, 2, Colour::Red);
  frame.draw();
  // Sparkle frames cover the top half of the cell; the piece shows below them.
  EXPECT_EQ(frame.cell(1, 2, 4), sparkleColour(1));
  EXPECT_EQ(frame.cell(1, 2, 24), colourOf(Colour::Red));

  gone.timer = 32768;
  frame.draw();
  EXPECT_EQ(frame.cell(1, 2, 4), sparkleColour(6));
  Rgb half = frame.cell(1, 2, 24);
  EXPECT_NEAR(half.r, (248 + OnePlayerBackground.r) / 2, 10);
  // Only the fading piece was faded: its neighbour of the same image is solid.
  EXPECT_EQ(frame.cell(2, 2, 24), colourOf(Colour::Red));

  gone.flags |= Cell::LaserHit;
  frame.draw();
  EXPECT_EQ(frame.cell(1, 2, 4), explosionColour(4));
}

TEST(Playfield, AMixedPieceCrossFadesWhileTheSplatPlaysThenSparkles) {
  Frame frame;
  frame.board().setCell(3, 4, Colour::Orange);
  Cell& mixed = frame.board().at(3, 4);
  mixed.flags = Cell::Exploding;
  mixed.oldColour = Colour::Red;
  mixed.mixColour = Colour::Yellow;
  mixed.timer = 4000;
  frame.draw();
  EXPECT_EQ(frame.cell(3, 4, 4), splatColour(Colour::Yellow, 2));
  EXPECT_EQ(frame.cell(3, 4, 28), splatColour(Colour::Yellow, 2));

  // Past half way the splat is gone and the sparkles run ahead at 1.25 times the pace;
  // the new colour shows through more than the old.
  mixed.timer = 40000;
  frame.draw();
  EXPECT_EQ(frame.cell(3, 4, 4), sparkleColour(6));
  Rgb blend = frame.cell(3, 4, 24);
  EXPECT_EQ(blend.r, colourOf(Colour::Orange).r);
  EXPECT_GT(blend.g, 64);
  EXPECT_LT(blend.g, 128);
}

TEST(Playfield, SmoothPiecesKeepTheirTransparentEdgesAfterFading) {
  Frame frame(0, 1);
  ASSERT_EQ(frame.display.pieces, frame.display.smoothPieces);
  frame.board().setCell(1, 3, Colour::Empty);
  Cell& gone = frame.board().at(1, 3);
  gone.flags = Cell::Exploding;
  gone.oldColour = Colour::Blue;
  gone.timer = 20000;
  // Drawn after the fading one (rows go from the top row up to row 0): its clear band
  // lies over the bottom of row 1.
  frame.board().setCell(1, 2, Colour::Blue);
  frame.draw();
  EXPECT_EQ(frame.cell(1, 2, 16), colourOf(Colour::Blue));
  EXPECT_EQ(frame.cell(1, 1, 30), frame.background());
}

TEST(Playfield, TwoPlayersShowAtMostTwelveStoredPowerUpsEachInTheirBankColumn) {
  Frame frame(1);
  auto& stored = frame.player(1).bank.stored;
  for (int n = 0; n < 14; ++n) stored.push_back({n % 2 ? Colour::Blue : Colour::Red, 5});
  stored.back().kind = Colour::Yellow;  // the one PowerUp uses next
  frame.player(0).bank.stored.push_back({Colour::Green, 5});
  frame.draw();

  const SDL_Rect& bank = frame.layout->bankRects[1];  // {325, 36, 32, 384}
  int x = bank.x + 16;
  EXPECT_EQ(frame.at(x, bank.y + bank.h - 1), colourOf(Colour::Yellow));
  EXPECT_EQ(frame.at(x, bank.y + bank.h - 32), colourOf(Colour::Yellow));
  EXPECT_EQ(frame.at(x, bank.y + bank.h - 33), colourOf(Colour::Red));
  EXPECT_EQ(frame.at(x, bank.y), colourOf(Colour::Red));  // the twelfth from the bottom
  EXPECT_EQ(frame.at(x, bank.y - 1), TwoPlayerBackground);
  const SDL_Rect& first = frame.layout->bankRects[0];
  EXPECT_EQ(frame.at(first.x + 16, first.y + first.h - 1), colourOf(Colour::Green));
  EXPECT_EQ(frame.at(first.x + 16, first.y + first.h - 33), TwoPlayerBackground);
  // Each board in its own place.
  frame.board(1).setCell(0, 0, Colour::Purple);
  frame.draw();
  EXPECT_EQ(frame.cell(0, 0, 24, 1), colourOf(Colour::Purple));
  EXPECT_EQ(frame.cell(0, 0, 24, 0), TwoPlayerBackground);
}

TEST(Playfield, APlayerWhoIsOutShowsResultsWhileTheOtherStillPlays) {
  Frame frame(1);
  frame.player(0).alive = false;
  frame.player(1).chainCount = 3;
  frame.draw();
  // "You lose..." in red from 30 right and 30 down; "2 chain!" in plain from 15 right.
  EXPECT_EQ(frame.at(frame.left(0) + 30, frame.top(0) + 31), frame.shown(255, 0, 0));
  EXPECT_EQ(frame.at(frame.left(1) + 15, frame.top(1) + 31), White);
  EXPECT_EQ(frame.at(frame.left(1) + 14, frame.top(1) + 31), TwoPlayerBackground);
}

TEST(Playfield, TheClockShowsPlayerZerosTimeAndInSurvivalTheLevel) {
  for (int mode : {0, 2}) {
    Frame frame(mode);
    frame.draw();
    EXPECT_EQ(frame.at(1, 1), White) << "mode " << mode;
    // The level line under it, in Survival only.
    EXPECT_EQ(frame.at(1, 13), mode == 2 ? White : OnePlayerBackground) << "mode " << mode;
    settings.DisplayTime = 0;
    frame.draw();
    EXPECT_EQ(frame.at(1, 1), OnePlayerBackground);
  }
}

TEST(Playfield, TheBackgroundIsConvertedOncePerVideoModeAndCanBeMissing) {
  Frame frame;
  frame.draw();
  SDL_Surface* converted = frame.layout->convertedBackground;
  ASSERT_NE(converted, nullptr);
  EXPECT_EQ(frame.display.modeChanged, 0);
  frame.draw();
  EXPECT_EQ(frame.layout->convertedBackground, converted);

  // Without its picture the game still draws, on black.
  frame.art.remove("Backgrounds/1p.jpg");
  GameLayout bare(0);
  EXPECT_EQ(bare.background, nullptr);
  frame.game.layout = &bare;
  frame.board().setCell(0, 0, Colour::White);
  frame.draw();
  EXPECT_EQ(frame.at(2, 470), Black);
  EXPECT_EQ(frame.cell(0, 0), colourOf(Colour::White));
  frame.game.layout = frame.layout.get();
}
