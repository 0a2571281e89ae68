// The computer opponent in whole headless games (the soak has it keep every rule): it
// presses nothing while paused or ending, and the copy of its player that it judges
// moves on is stepped exactly like the real one; every level reacts and outlasts a player
// who presses nothing.
#include <gtest/gtest.h>

#include "Invariants.h"
#include "MoveJudge.h"

namespace {
std::vector<double> digestOf(const Player& p) {
  return {static_cast<double>(boardDigest(p.board) % 1000000007u),
          p.score,
          static_cast<double>(p.elapsed),
          static_cast<double>(p.cursorPos),
          static_cast<double>(p.actionState * 1000 + p.heldCount * 10 + p.flightCount),
          static_cast<double>(p.commands.size()),
          static_cast<double>(p.laserCharges * 100 + p.minGroup * 10 + p.chainCount),
          static_cast<double>(p.rowInterval + p.pendingRows + p.multiplierTimer),
          static_cast<double>(p.slowReactionsTimer + p.lasers.size() + p.doublerCharges)};
}
}  // namespace

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
    if (frame % 60 == 17 || frame % 60 == 40) game.bus.post(TogglePause, &player);
    for (int i = 0; i < 2; ++i) before[i] = game.players[i].commands.size();
    held = game.paused || game.state != Running;
    heldFrames += held ? 1 : 0;
    ++frame;
  };
  headless.play();
  EXPECT_FALSE(headless.gaveUp);
  EXPECT_NE(headless.game.players[0].alive, headless.game.players[1].alive);
  EXPECT_GT(moved, 100) << "the computers hardly played";
  EXPECT_GT(heldFrames, 1000);
}

TEST(ComputerOpponent, JudgesMovesOnACopyThatTheRulesStepLikeTheRealPlayer) {
  for (int level : {0, 5}) {
    SCOPED_TRACE("Survival, level " + std::to_string(level));
    HeadlessGame headless(2, 4242, {16, 17, 40}, 60 * 60 * 1000, {level, 0});
    GameSetup setup(2);
    Game sandbox;
    sandbox.layout = &setup;
    Player& copy = sandbox.players[0];
    copy.game = &sandbox;
    Player& real = headless.game.players[0];
    // Copied afresh just before every update, after the keys of the frame were pressed:
    // a field the copy misses shows as soon as it differs from a new player's.
    auto realClock = headless.game.clock;
    headless.game.clock = [&] {
      copy.construct();
      copyPlayerState(real, copy);
      return realClock();
    };
    long frame = 0, differ = -1;
    headless.onFrame = [&](Game& game) {
      ++frame;
      if (differ >= 0) return;
      copy.update(game.frameDelta);
      if (digestOf(copy) != digestOf(real)) differ = frame;
    };
    headless.play();
    EXPECT_EQ(differ, -1) << "the copy went its own way at frame " << differ;
    EXPECT_GT(real.totalPieces, 20);
    EXPECT_GT(frame, 3000);
  }
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
