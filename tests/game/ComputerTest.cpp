// The computer opponent in whole headless games (the soak has it keep every rule): it
// presses nothing while paused or ending; every level reacts and outlasts a player who
// presses nothing.
#include <gtest/gtest.h>

#include "Invariants.h"

TEST(ComputerOpponent, PressesNothingWhilePausedOrEnding) {
  HeadlessGame headless(1, 99, {16, 17}, 60 * 60 * 1000, {4, 2});
  size_t before[2] = {0, 0};
  int column[2] = {3, 3};
  bool held = false;  // paused or ending: the rules take no command from the queues
  long frame = 0, moved = 0, heldFrames = 0;
  headless.onFrame = [&](Game& game) {
    for (int i = 0; i < 2; ++i) {
      size_t now = game.players[i].commands.size();
      if (held && now > before[i])
        ADD_FAILURE() << "player " << i << " pressed a key at frame " << frame
                      << (game.paused ? " while paused" : " while the game was ending");
      if (game.players[i].cursorColumn != column[i]) ++moved;
      column[i] = game.players[i].cursorColumn;
    }
    // Paused for 23 frames out of every 60, the pause and its end at uneven moments.
    int player = 0;
    if (frame % 60 == 17 || frame % 60 == 40) headless.loop.bus.post(TogglePause, &player);
    for (int i = 0; i < 2; ++i) before[i] = game.players[i].commands.size();
    held = !game.takesCommands(headless.loop.pending);
    heldFrames += held ? 1 : 0;
    ++frame;
  };
  headless.play();
  EXPECT_FALSE(headless.gaveUp);
  EXPECT_NE(headless.game.players[0].alive, headless.game.players[1].alive);
  EXPECT_GT(moved, 100) << "the computers hardly played";
  EXPECT_GT(heldFrames, 1000);
}

TEST(ComputerOpponent, EveryLevelReactsAndBeatsAPlayerWhoPressesNothing) {
  constexpr int Games = 10;
  for (int level = 1; level <= ComputerLevelCount; ++level) {
    SCOPED_TRACE("level " + std::to_string(level));
    int wins = 0, gamesWithoutReactions = 0;
    for (uint32_t g = 0; g < Games; ++g) {
      // Nobody at the left keys: no automatic player, and the computer on the right.
      HeadlessGame headless(1, 700 + g * 131, {16, 17}, 10 * 60 * 1000, {0, level}, false);
      headless.play();
      const Player* players = headless.game.players;
      wins += !headless.gaveUp && players[1].alive && !players[0].alive;
      gamesWithoutReactions += players[1].totalPieces == 0;
    }
    EXPECT_GE(wins, Games - 1);
    EXPECT_EQ(gamesWithoutReactions, 0);
  }
}
