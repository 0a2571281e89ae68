#include <dlfcn.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <vector>

#include "Colour.h"
#include "Command.h"
#include "Display.h"
#include "Game.h"
#include "GameLayout.h"
#include "GameLoop.h"
#include "LayoutGeometry.h"
#include "StatusText.h"
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

// Paints the screen a colour no art has, behind the display's back: a frame that is
// drawn covers it, one that is left out leaves it.
const Rgb Scribble = {255, 0, 255};
void scribble(Display& display) {
  SDL_FillRect(display.screen, nullptr, SDL_MapRGB(display.screen->format, 255, 0, 255));
}
bool redrawn(Display& display) {
  return !(pixelAt(display.screen, 5, 470) == Scribble);
}

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
  // Two grabbed pieces on their way up column 4 go with the rising row too.
  Player& p = frame.player();
  p.flightColumn = 4;
  p.flightCount = 2;
  p.flightRow = 3;
  p.flightPos = FixedOne;
  p.heldColour = Colour::Red;
  frame.board().riseOffset = -FixedOne / 2;
  frame.draw();
  const struct {
    int row, dy;
    Rgb colour;
  } edges[] = {{3, -17, Back}, {3, -16, Red}, {4, 15, Red}, {4, 16, Back}};
  for (const auto& e : edges)
    EXPECT_EQ(frame.cell(4, e.row, e.dy), e.colour) << e.row << "," << e.dy;
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

TEST(Playfield, EveryAnimationOfAPiecePlaysThroughToItsFinalState) {
  // A piece that is destroyed fades out, one that mixes cross-fades to its new colour,
  // each under its animation. What the top half of the cell (where sparkles and explosions
  // play) shows at the start, half way and in the last moment, and what the bottom half
  // fades to: by the end a splat is long gone.
  const struct {
    const char* kind;
    int colour, mixColour, flags;
    Rgb start, half, end, fadeTo;
  } kinds[] = {
      {"destroyed", Colour::Empty, Colour::Empty, Cell::Exploding, artColour(Sparkle, 1),
       artColour(Sparkle, 6), artColour(Sparkle, 11), Back},
      {"hit by a laser", Colour::Empty, Colour::Empty, Cell::Exploding | Cell::LaserHit,
       artColour(Explosion, 1), artColour(Explosion, 4), artColour(Explosion, 6), Back},
      {"mixed under a splat", Colour::Orange, Colour::Yellow, Cell::Exploding, artColour(Splat, 1),
       artColour(Sparkle, 5), artColour(Sparkle, 11), PieceColours[Colour::Orange]},
      {"mixed", Colour::Orange, Colour::Empty, Cell::Exploding, artColour(Sparkle, 1),
       artColour(Sparkle, 6), artColour(Sparkle, 11), PieceColours[Colour::Orange]},
  };
  const int32_t moments[] = {0, FixedOne / 2, FixedOne - 1};
  auto near = [](Rgb a, Rgb b) {  // the 16-bit screen rounds a blend either way
    return std::abs(a.r - b.r) <= 16 && std::abs(a.g - b.g) <= 16 && std::abs(a.b - b.b) <= 16;
  };
  for (int antialias : {0, 1}) {
    Frame frame(0, antialias);
    frame.board().setCell(2, 5, Colour::Red);  // drawn after it with the same image
    for (const auto& k : kinds) {
      SCOPED_TRACE(std::string(k.kind) + (antialias ? ", smooth" : ", hard-edged"));
      Cell& cell = frame.board().at(2, 6);
      cell.flags = k.flags;
      cell.colour = k.colour;
      cell.oldColour = Colour::Red;
      cell.mixColour = k.mixColour;
      for (int m = 0; m < 3; ++m) {
        SCOPED_TRACE(moments[m]);
        cell.timer = moments[m];
        frame.draw();
        const Rgb top[] = {k.start, k.half, k.end}, bottom = frame.cell(2, 6, 24);
        EXPECT_EQ(frame.cell(2, 6, 4), top[m]);
        const Rgb half = {Uint8((Red.r + k.fadeTo.r) / 2), Uint8((Red.g + k.fadeTo.g) / 2),
                          Uint8((Red.b + k.fadeTo.b) / 2)};
        if (m == 1) {
          EXPECT_TRUE(near(bottom, half)) << bottom;
        } else {
          Rgb start = k.mixColour != Colour::Empty ? artColour(Splat, 1) : Red;
          EXPECT_EQ(bottom, m == 0 ? start : k.fadeTo);
        }
        // The neighbour stays solid, and a smooth one keeps its clear edges.
        EXPECT_EQ(frame.cell(2, 5, 24), Red);
        EXPECT_EQ(frame.cell(2, 4, 30), Back);
      }
    }
  }
}

TEST(Playfield, EachPlayersScoreTextsAndBankStayOnTheirOwnSide) {
  // Player 2 has the long score, a status line, a stored power-up and, at the end, the
  // loss; player 1 none of them. A network game's joiner sees their board on the left.
  using geometry::kBanks2p, geometry::kBoards2p, geometry::kScores2p;
  for (int leftPlayer : {0, 1}) {
    Frame frame(GameMode::Versus);
    frame.layout->leftPlayer = leftPlayer;
    Player& second = frame.player(1);
    second.score = 98765.432;  // 56 pixels wide, against 32 for "0.000"
    second.shieldTimer = 1;
    second.bank.stored.push_back({Colour::Green, 1});
    frame.draw();
    auto shows = [&](int x, int y) { return !(frame.at(x, y) == Background2p); };
    for (int i : {0, 1}) {
      SCOPED_TRACE("player " + std::to_string(i + 1) + ", left " + std::to_string(leftPlayer));
      const int side = i ^ leftPlayer;
      const auto &score = kScores2p[side], &board = kBoards2p[side], &bank = kBanks2p[side];
      EXPECT_EQ(shows(score.x + score.w - 45, score.y + 6), i == 1) << "score";
      EXPECT_EQ(shows(score.x + score.w - 2, score.y + 6), true) << "score";
      EXPECT_EQ(shows(board.x + 20, board.y + 38), i == 1) << "status";
      EXPECT_EQ(frame.at(bank.x + 16, bank.y + bank.h - 16),
                i == 1 ? PieceColours[Colour::Green] : Background2p);
    }
    // Results: "You win!" is 64 pixels wide, "You lose..." 88.
    frame.loop->game.state = Over;
    second.alive = false;
    frame.draw();
    for (int i : {0, 1}) {
      SCOPED_TRACE("results of player " + std::to_string(i + 1));
      const auto& board = kBoards2p[i ^ leftPlayer];
      EXPECT_EQ(shows(board.x + 30 + 2, board.y + 38), true);
      EXPECT_EQ(shows(board.x + 30 + 75, board.y + 38), i == 1);
    }
  }
}

TEST(StillPicture, AFrameLikeTheOneOnScreenIsLeftOutUntilSomethingInItChanges) {
  Frame frame;
  frame.board().setCell(0, 12, Colour::Red);
  frame.draw();
  const struct {
    const char* change;
    std::function<void(Frame&)> make;
    bool drawn;
  } changes[] = {
      {"nothing", [](Frame&) {}, false},
      {"a piece lands", [](Frame& f) { f.board().setCell(1, 12, Colour::Green); }, true},
      {"nothing", [](Frame&) {}, false},
      {"a second on the clock", [](Frame& f) { f.player().elapsed += 1000; }, true},
      {"a notice", [](Frame& f) { f.loop->notice = "Waiting"; }, true},
      {"another notice", [](Frame& f) { f.loop->notice = "Leaving"; }, true},
      {"the game ends", [](Frame& f) { f.loop->game.state = Over; }, true},
      {"nothing", [](Frame&) {}, false},
      {"the menu drew over it", [](Frame& f) { f.display.forgetShown(); }, true},
      {"nothing", [](Frame&) {}, false},
  };
  for (const auto& c : changes) {
    SCOPED_TRACE(c.change);
    scribble(frame.display);
    c.make(frame);
    frame.draw();
    EXPECT_EQ(redrawn(frame.display), c.drawn);
  }
}

TEST(StillPicture, AnIdleGameShowsANewPictureOnlyWhenItsClockReadsDifferently) {
  // The test font draws every digit alike: the clock reads differently to it when it
  // grows a digit, at ten minutes.
  constexpr int TenMinutes = 600000;
  for (int clock : {1, 0}) {
    SCOPED_TRACE(clock ? "clock shown" : "no clock");
    Frame frame;
    settings.DisplayTime = clock;
    frame.player().elapsed = TenMinutes - 1024;
    EXPECT_TRUE(frame.display.renderFrame(frame.loop.get()));
    std::vector<int> shown;
    for (int ms = TenMinutes - 1024; ms <= TenMinutes + 1024; ms += 16) {
      frame.player().elapsed = ms;
      if (frame.display.renderFrame(frame.loop.get())) shown.push_back(ms);
    }
    const std::vector<int> turns = clock ? std::vector<int>{TenMinutes} : std::vector<int>{};
    EXPECT_EQ(shown, turns);
  }
}

TEST(StillPicture, APausedGameShowsOnlyItsBlinksAndMovesOnAtOnceWhenUnpaused) {
  Frame frame;
  uint32_t now = 0;
  frame.loop->clock = [&now] { return now; };
  auto pass = [&frame](bool pause) {
    if (pause) frame.loop->add(0, Command::Pause);
    frame.loop->step(16);
    frame.draw();
  };
  pass(true);
  const struct {
    uint32_t ms;
    bool pause, drawn;
  } moments[] = {{100, false, false}, {299, false, false}, {300, false, true}, {599, false, false},
                 {600, false, true},  {650, false, false}, {700, true, true},  {716, false, true}};
  for (const auto& m : moments) {
    SCOPED_TRACE(m.ms);
    scribble(frame.display);
    now = m.ms;
    pass(m.pause);
    EXPECT_EQ(redrawn(frame.display), m.drawn);
  }
}

TEST(StillPicture, AWildPieceKeepsTurningThroughItsColoursWhileAllElseHoldsStill) {
  Frame frame;
  frame.board().setCell(3, 12, Colour::Wild);
  std::set<int> colours;
  for (int i = 0; i < 8; ++i) {
    scribble(frame.display);
    frame.draw();
    EXPECT_TRUE(redrawn(frame.display)) << i;
    Rgb c = frame.cell(3, 12);
    colours.insert(c.r << 16 | c.g << 8 | c.b);
  }
  EXPECT_EQ(colours.size(), 8u);
  frame.board().setCell(3, 12, Colour::Red);
  frame.draw();
  scribble(frame.display);
  frame.draw();
  EXPECT_FALSE(redrawn(frame.display));
}

TEST(StillPicture, ANoticeIsDrawnOnceAndAgainWhenItsTextChangesOrSomethingDrewOverIt) {
  Frame frame;
  const struct {
    const char* text;
    bool forget, drawn;
  } notices[] = {{"Waiting", false, true},     {"Waiting", false, false},
                 {"Connecting", false, true},  {"Connecting", true, true},
                 {"Connecting", false, false}, {"", false, true}};
  for (const auto& n : notices) {
    SCOPED_TRACE(std::string(n.text) + (n.forget ? ", the menu drew" : ""));
    scribble(frame.display);
    if (n.forget) frame.display.forgetShown();
    frame.display.showNotice(n.text);
    EXPECT_EQ(redrawn(frame.display), n.drawn);
  }
  // A game's frame after the notice is drawn, however still.
  scribble(frame.display);
  frame.draw();
  EXPECT_TRUE(redrawn(frame.display));
}

TEST(StillPicture, AWindowThatLostItsPictureGetsTheStillFrameAgain) {
  Frame frame;
  frame.draw();
  // SDL2 beneath SDL 1.2 reports an uncovered window as this event, which reaches the
  // program as SDL_VIDEOEXPOSE.
  void* sdl2 = dlopen("libSDL2-2.0.so.0", RTLD_NOW);
  ASSERT_NE(sdl2, nullptr);
  struct WindowEvent {
    Uint32 type, timestamp, windowID;
    Uint8 event, padding[3];
    Sint32 data1, data2;
  };
  union {
    WindowEvent window;
    Uint8 size[56];
  } exposed = {};
  exposed.window.type = 0x200;  // SDL_WINDOWEVENT
  exposed.window.event = 3;     // SDL_WINDOWEVENT_EXPOSED
  auto push = reinterpret_cast<int (*)(void*)>(dlsym(sdl2, "SDL_PushEvent"));
  for (bool expose : {false, true, false}) {
    SCOPED_TRACE(expose ? "exposed" : "left alone");
    scribble(frame.display);
    if (expose) push(&exposed);
    SDL_PumpEvents();
    frame.draw();
    EXPECT_EQ(redrawn(frame.display), expose);
  }
  dlclose(sdl2);
}

// Everything a notice over the boards draws stays inside its panel: the long refusal of a
// far host, a host name of the longest kind and the interrupted notice, in both layouts.
TEST(Notices, ANoticeOverTheBoardsWrapsInsideItsPanel) {
  const std::string longest(253, 'h');
  const std::string notices[] = {
      "No game: no game is waiting at " + longest + ":24642",
      "The connection is interrupted...\nEsc leaves the game",
      "Starting...",
  };
  for (int mode : {GameMode::Practice, GameMode::Versus}) {
    for (const std::string& notice : notices) {
      SCOPED_TRACE(notice.substr(0, 30));
      Frame frame(mode);
      frame.draw();
      std::vector<Rgb> before;
      for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) before.push_back(frame.at(x, y));
      frame.loop->notice = notice;
      frame.draw();
      int left = 640, right = -1, changed = 0;
      for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
          if (!(frame.at(x, y) == before[size_t(y) * 640 + size_t(x)])) {
            left = std::min(left, x), right = std::max(right, x), ++changed;
          }
      ASSERT_GT(changed, 0) << "the notice was not drawn";
      // The panel: at most 400 pixels wide, in the middle of the screen.
      EXPECT_GE(left, 320 - 200);
      EXPECT_LE(right, 320 + 200);
    }
  }
}

// A replay on hold says it is paused, and a replay always says it is one.
TEST(Notices, AHeldReplayBlinksPausedAndAReplayIsMarked) {
  Frame frame;
  uint32_t now = 300;  // in a blink's "on" half
  frame.loop->clock = [&now] { return now; };
  frame.draw();
  std::vector<Rgb> plain;
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) plain.push_back(frame.at(x, y));
  frame.loop->held = true;
  frame.layout->replay = true;
  frame.draw();
  // PAUSED stands across the middle of the screen; the marker at the bottom middle.
  auto differs = [&](int x0, int y0, int x1, int y1) {
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x)
        if (!(frame.at(x, y) == plain[size_t(y) * 640 + size_t(x)])) return true;
    return false;
  };
  EXPECT_TRUE(differs(260, 240, 380, 270)) << "no PAUSED on a held replay";
  EXPECT_TRUE(differs(280, 450, 360, 480)) << "no Replay marker";
  EXPECT_FALSE(frame.loop->game.paused) << "holding a replay changed its game";
}
