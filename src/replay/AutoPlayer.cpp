#include "AutoPlayer.h"

#include <algorithm>

#include "GameLoop.h"

AutoPlayer::AutoPlayer(GameLoop& loop, int index, uint32_t startValue)
    : loop(loop), index(index), keys(loop, index), random(startValue * 2654435761u + index) {}

void AutoPlayer::handle(int id, void*, MessageBus*) {
  const Game& game = loop.game;
  if (id != PollInput || !game.takesCommands(loop.pending)) return;
  const Player& player = game.players[index];
  if (index >= game.playerCount() || !player.commands.empty()) return;
  if (player.elapsed - lastThought < thinkEvery) return;
  lastThought = player.elapsed;
  think(player);
}

// The column to grab from (nothing held) or to drop onto: the one whose move makes the
// longest run of one colour, or the most room for a drop that makes none.
int AutoPlayer::pickColumn(const Player& player, bool dropping) {
  const Board& board = player.board;
  int best = -1, bestValue = 0;
  for (int column = 0; column < board.width; ++column) {
    if (dropping && column == player.cursorColumn && roll(4) != 0) continue;
    TopRun run = topRun(board, column);
    int value = 0;
    if (dropping) {
      value = board.height - run.top + (run.colour == player.heldColour ? 20 + run.length * 4 : 0);
    } else if (run.length > 0) {
      for (int other = 0; other < board.width; ++other) {
        TopRun onto = topRun(board, other);
        if (other != column && onto.colour == run.colour &&
            onto.top < board.height - run.length - 1)
          value = std::max(value, run.length + onto.length);
      }
    }
    if (value > bestValue) {
      bestValue = value;
      best = column;
    }
  }
  if (best < 0 || roll(100) < static_cast<unsigned>(mistakes)) best = roll(board.width);
  return best;
}

void AutoPlayer::think(const Player& player) {
  const Board& board = player.board;
  if (player.flying()) return;
  bool versus = loop.game.playerCount() > 1;
  bool armed = versus ? !player.bank.stored.empty() : player.laserCharges > 0;
  if (armed && roll(100) < 30) return keys.press(Command::PowerUp);
  int highest = 0;
  for (int column = 0; column < board.width; ++column)
    highest = std::max(highest, topRun(board, column).top + 1);
  if (highest < board.height / 2 && roll(100) < static_cast<unsigned>(pullDowns))
    return keys.press(Command::PullDown);
  bool holding = player.actionState == Holding;
  keys.walkTo(player, pickColumn(player, holding));
  keys.press(holding ? Command::Drop : Command::Grab);
}
