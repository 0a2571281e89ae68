#include "PowerUpMessage.h"
#include "Table.h"

namespace {
// Writes down the messages of the main loop and ends the game after some passes.
class LoopWatcher : public Listener {
public:
  explicit LoopWatcher(GameLoop& loop) : loop(loop) {}
  void handle(int id, void* data, MessageBus* bus) override {
    if (id == PlayMusic) log.push_back("music " + *static_cast<std::string*>(data));
    if (id == PollInput) log.push_back("poll");
    if (id == UpdateGame) log.push_back("update");
    if (id == RenderFrame) log.push_back(data == &loop ? "render" : "render another game");
    int player = 0;
    if (id == PollInput && ++passes == 60) bus->post<AbortGame>(&player);
  }
  GameLoop& loop;
  Lines log;
  int passes = 0;
};
}  // namespace

using GameObject = TwoPlayers;
using SinglePlayerGame = Practice;

TEST_F(GameObject, MainLoopPlaysMusicOnceThenRunsItsPassesWithTheSameRowsOnBothBoards) {
  mine.pendingRows = theirs.pendingRows = 4;
  LoopWatcher watcher(loop);
  for (int id : {PollInput, PlayMusic, RenderFrame, UpdateGame}) loop.bus.subscribe(id, &watcher);
  loop.clock = [this] { return now += 16; };
  loop.run();
  EXPECT_EQ(Lines(watcher.log.begin(), watcher.log.begin() + 7),
            (Lines{"music 2pMusic", "poll", "update", "render", "poll", "update", "render"}));
  EXPECT_EQ(watcher.log.size(), 1 + 3 * 60u);  // the music once, then 60 passes
  EXPECT_EQ(game.state, Over);
  EXPECT_EQ(pieceCount(mine), 28);
  EXPECT_EQ(picture(mine), picture(theirs));
}

TEST(GameSetup, BothBoardsOfASeededGameGetTheSameRows) {
  GameSetup setup(GameMode::Versus);
  setup.startFrom(12345, 6);
  Game game(setup);
  for (int push = 0; push < 3; ++push)
    for (Player& player : game.players) {
      player.board.pushRow();
      player.board.advanceRise(FixedOne);
    }
  EXPECT_EQ(picture(game.players[0], 3), picture(game.players[1], 3));
  EXPECT_EQ(game.players[0].bank.randomState, game.players[1].bank.randomState);
}

TEST_F(SinglePlayerGame, PauseFreezesPlayAndForgetsWhatWasPressed) {
  gameFrames(1, 16);
  post(TogglePause);
  press({Command::Left});
  gameFrames(5, 16);
  EXPECT_EQ(p.elapsed, 0);
  EXPECT_EQ(queued(p), (std::vector<int>{Command::Left}));
  post(TogglePause);
  press({Command::Right});  // pressed after the resume: kept
  EXPECT_EQ(queued(p), (std::vector<int>{Command::Right}));
  gameFrames(1, 16);
  EXPECT_EQ(p.elapsed, 16);  // no jump for the time spent paused
  EXPECT_EQ(p.cursorColumn, 4);
}

TEST_F(SinglePlayerGame, AbortEndsItAtOnceEvenPaused) {
  post(TogglePause);
  post(AbortGame);
  EXPECT_EQ(game.state, Over);
}

TEST(GameEnd, VersusEndsOnceTheWinnersBoardHasSettledOrAtAnAbort) {
  for (bool abort : {true, false}) {
    Table table(1);
    Player &mine = table.player(0), &theirs = table.player(1);
    explode(mine, 6, 0, Colour::Blue);  // not settled yet
    theirs.board.setCell(3, 12, Colour::Red);
    table.press({Command::Left}, 0);
    table.gameFrames(1, 16);
    ASSERT_EQ(table.game.state, Ending);
    EXPECT_FALSE(theirs.alive);
    if (abort) table.post(AbortGame);
    table.gameFrames(1, 16);
    EXPECT_EQ(table.game.state, abort ? Over : Ending);
    if (abort) continue;
    int count = 1;
    for (; table.game.state == Ending && count < 200; ++count) {
      table.press({Command::Left}, 0);
      table.gameFrames(1, 16);
    }
    EXPECT_EQ(table.game.state, Over);
    EXPECT_EQ(count, 64);  // the full 1008 ms: 63 frames of 16 after the first, of 0
    EXPECT_FALSE(mine.board.at(6, 0).is(Cell::Exploding));
    EXPECT_TRUE(mine.alive);
    EXPECT_EQ(mine.cursorColumn, 2);  // only the command taken while Running moved it
  }
}

TEST_F(SinglePlayerGame, AFrameAfterTheMachineSleptIsCutToAMinute) {
  draw(p, {"R", ".", ".", "."});
  p.board.at(0, 3).flags = Cell::Falling;
  p.rowInterval = 1 << 30;  // no new rows in the way
  gameFrames(1, 16);
  gameFrames(1, 3600000);  // an hour asleep
  EXPECT_EQ(game.frameDelta, 60000);
  EXPECT_EQ(p.elapsed, 60000);
  EXPECT_EQ(p.board.at(0, 2).colour, Colour::Red);  // a falling piece moves a row per frame
  EXPECT_GT(p.board.at(0, 2).fall, 0);
  gameFrames(3, 16);
  EXPECT_EQ(picture(p, 4), (Lines{".......", ".......", ".......", "R......"}));
  EXPECT_FALSE(p.board.at(0, 0).is(Cell::Falling));
  p.board.setCell(2, 12, Colour::Green);  // one top-out ends a one-player game at once
  gameFrames(1, 16);
  EXPECT_EQ(game.state, Over);
}

TEST(FixedTicks, EveryThreeTicksMakeFiftyMillisecondsWhateverTheClockSays) {
  GameLoop loop(GameSetup(GameMode::Versus));
  loop.pacing = GameLoop::Pacing::FixedTicks;
  uint32_t wall = 5;
  loop.clock = [&wall] { return wall += 40; };  // a slow machine: never read for the ticks
  Game byHand = loop.game;
  StepEvents events;
  for (uint32_t tick = 0; tick < 300; ++tick) {
    loop.bus.post<UpdateGame>();
    byHand.step(tickLength(tick), PassInput(), events);
  }
  EXPECT_EQ(loop.game.players[0].elapsed, 5000);
  EXPECT_EQ(tickStart(300), 5000u);
  EXPECT_EQ(tickStart(4), 67u);
  EXPECT_EQ(loop.game, byHand);
}
