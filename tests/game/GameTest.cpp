#include <gtest/gtest.h>

#include "Binding.h"
#include "Colour.h"
#include "PowerUpMessage.h"
#include "Table.h"

using Lines = std::vector<std::string>;

namespace {
// Writes down the messages of the main loop and ends the game after some passes.
class LoopWatcher : public Listener {
public:
  void handle(int id, void* data, MessageBus* bus) override {
    if (id == PlayMusic) log.push_back("music " + *static_cast<std::string*>(data));
    if (id == PollInput) log.push_back("poll");
    if (id == UpdateGame) log.push_back("update");
    if (id == RenderFrame) {
      log.push_back("render");
      game = static_cast<Game*>(data);
      if (++passes == stopAfter) {
        int player = 0;
        bus->post(AbortGame, &player);
      }
    }
  }
  Lines log;
  Game* game = nullptr;
  int passes = 0;
  int stopAfter = 3;
};

void pause(Table& table) {
  int player = 0;
  table.game.bus.post(TogglePause, &player);
}

void explodeSomething(Player& p) {
  p.board.at(6, 0).flags = Cell::Exploding;
  p.board.at(6, 0).oldColour = Colour::Blue;
}
}  // namespace

TEST(GameObject, MainLoopPlaysMusicOnceThenPollsUpdatesAndDrawsUntilOver) {
  Table table(1);
  LoopWatcher watcher;
  for (int id : {PollInput, PlayMusic, RenderFrame, UpdateGame})
    table.game.bus.subscribe(id, &watcher);
  table.now = 5000;
  table.game.run();
  EXPECT_EQ(watcher.log, (Lines{"music 2pMusic", "poll", "update", "render", "poll", "update",
                                "render", "poll", "update", "render"}));
  EXPECT_EQ(watcher.game, &table.game);
  EXPECT_EQ(table.game.state, Over);
  EXPECT_EQ(table.player(0).board.rowSeed, 5000u);
  EXPECT_EQ(table.player(1).board.rowSeed, 5000u);
}

TEST(GameObject, BothBoardsOfAVersusGameGetTheSameRows) {
  Table table(1);
  for (int i = 0; i < 2; ++i) table.player(i).pendingRows = 4;
  LoopWatcher watcher;
  watcher.stopAfter = 60;
  table.game.bus.subscribe(RenderFrame, &watcher);
  table.game.clock = [&table] { return table.now += 16; };
  table.game.run();
  EXPECT_EQ(pieceCount(table.player(0)), 28);
  EXPECT_EQ(picture(table.player(0)), picture(table.player(1)));
}

TEST(GameObject, AttachingTakesEachPlaceOnce) {
  Table table(0);
  HumanController extra;
  EXPECT_EQ(extra.attach(&table.game, 0), 1);
  EXPECT_EQ(extra.attach(&table.game, 2), 1);
  EXPECT_EQ(extra.attach(&table.game, -1), 1);
  EXPECT_EQ(extra.index, -1);
  table.player(1).score = 9;
  EXPECT_EQ(extra.attach(&table.game, 1), 0);
  EXPECT_EQ(table.player(1).score, 0.0);  // reset on attach
  EXPECT_EQ(table.player(1).controller, &extra);
  PowerUpMessage message{Colour::Black, 1, 0};
  EXPECT_EQ(table.game.bus.post(SendPowerUp, &message), 2);  // both banks listen
}

TEST(GameObject, EachControllerTakesOnlyItsOwnPlayersCommands) {
  Table table(1);
  table.press({Command::Grab}, 1);
  table.press({Command::Left, Command::Right}, 0);
  EXPECT_EQ(table.player(1).commands, (std::deque<int32_t>{Command::Grab}));
  EXPECT_EQ(table.player(0).commands, (std::deque<int32_t>{Command::Left, Command::Right}));
}

TEST(GameObject, PauseFreezesPlayAndResumingDropsWhatWasPressed) {
  Table table(0);
  Player& p = table.player();
  table.gameFrames(1, 16);
  pause(table);
  table.press({Command::Left});
  table.gameFrames(5, 16);
  EXPECT_EQ(p.elapsed, 0);
  EXPECT_EQ(p.commands.size(), 1u);
  pause(table);
  table.press({Command::Right});  // pressed after the resume: kept
  EXPECT_EQ(p.commands, (std::deque<int32_t>{Command::Right}));
  table.gameFrames(1, 16);
  EXPECT_EQ(p.elapsed, 16);  // no jump for the time spent paused
  EXPECT_EQ(p.cursorColumn, 4);
}

TEST(GameObject, AbortEndsAPausedGameAtOnce) {
  Table table(0);
  pause(table);
  int player = 0;
  table.game.bus.post(AbortGame, &player);
  EXPECT_EQ(table.game.state, Over);
}

TEST(GameObject, OneTopOutEndsAOnePlayerGameInTheSameUpdate) {
  Table table(2);
  table.player().board.setCell(2, 12, Colour::Green);
  table.gameFrames(1, 16);
  EXPECT_EQ(table.game.state, Over);
}

TEST(GameObject, VersusEndsOnlyWhenTheWinnersBoardHasSettled) {
  Table table(1);
  Player& winner = table.player(0);
  Player& loser = table.player(1);
  explodeSomething(winner);
  loser.board.setCell(3, 12, Colour::Red);
  table.press({Command::Left}, 0);
  table.gameFrames(1, 16);
  EXPECT_EQ(table.game.state, Ending);
  EXPECT_FALSE(loser.alive);
  int frames = 0;
  while (table.game.state == Ending && frames < 200) {
    table.press({Command::Left}, 0);
    table.gameFrames(1, 16);
    ++frames;
  }
  EXPECT_EQ(table.game.state, Over);
  EXPECT_EQ(frames, 64);  // the full 1008 ms: 63 frames of 16 after the first, of 0
  EXPECT_FALSE(winner.board.at(6, 0).is(Cell::Exploding));
  EXPECT_TRUE(winner.alive);
  EXPECT_EQ(winner.cursorColumn, 2);  // only the command taken while Running moved it
}

TEST(GameObject, AbortWhileTheWinnersBoardSettlesIsFinal) {
  Table table(1);
  explodeSomething(table.player(0));
  table.player(1).board.setCell(3, 12, Colour::Red);
  table.gameFrames(1, 16);
  ASSERT_EQ(table.game.state, Ending);
  int player = 0;
  table.game.bus.post(AbortGame, &player);
  table.gameFrames(1, 16);
  EXPECT_EQ(table.game.state, Over);
}

TEST(GameObject, AFrameAfterTheMachineSleptIsCutToAMinute) {
  Table table(0);
  Player& p = table.player();
  draw(p, {"R", ".", ".", "."});
  p.board.at(0, 3).flags = Cell::Falling;
  p.rowInterval = 1 << 30;  // no new rows in the way
  table.gameFrames(1, 16);
  table.gameFrames(1, 3600000);  // an hour asleep
  EXPECT_EQ(table.game.frameDelta, 60000);
  EXPECT_EQ(p.elapsed, 60000);
  EXPECT_EQ(p.board.at(0, 2).colour, Colour::Red);  // a falling piece moves a row per frame
  EXPECT_GT(p.board.at(0, 2).fall, 0);
  table.gameFrames(3, 16);
  EXPECT_EQ(picture(p, 4), (Lines{".......", ".......", ".......", "R......"}));
  EXPECT_FALSE(p.board.at(0, 0).is(Cell::Falling));
}
