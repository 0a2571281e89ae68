#include "AutoPlayer.h"

#include <algorithm>

#include "Binding.h"
#include "GameLoop.h"

namespace {
// The colour and length of the topmost run of one colour in a column; Colour::Empty when empty.
struct Run {
  int colour = Colour::Empty;
  int length = 0;
  int top = -1;  // row of the topmost piece
};

Run topRun(const Board& board, int column) {
  Run run;
  for (int row = board.height - 1; row >= 0; --row) {
    const Cell& cell = board.at(column, row);
    if (!cell.hasColour()) {
      if (run.top >= 0 || cell.is(Cell::Exploding)) break;
      continue;
    }
    if (run.top < 0) {
      run.top = row;
      run.colour = cell.colour;
    } else if (cell.colour != run.colour) {
      break;
    }
    if (cell.is(Cell::Exploding)) break;
    ++run.length;
  }
  return run;
}
}  // namespace

AutoPlayer::AutoPlayer(GameLoop& loop, int index, uint32_t startValue)
    : loop(loop), index(index), random(startValue * 2654435761u + index) {}

void AutoPlayer::handle(int id, void*, MessageBus*) {
  const Game& game = loop.game;
  if (id != PollInput || !game.takesCommands(loop.pending)) return;
  const Player& player = game.players[index];
  if (index >= game.playerCount() || !player.commands.empty()) return;
  if (player.elapsed - lastThought < thinkEvery) return;
  lastThought = player.elapsed;
  think(player);
}

void AutoPlayer::press(int command) {
  Binding binding{command, index};
  loop.bus.post<PlayerCommand>(&binding);
}

void AutoPlayer::walkTo(const Player& player, int column) {
  for (int c = player.cursorColumn; c < column; ++c) press(Command::Right);
  for (int c = player.cursorColumn; c > column; --c) press(Command::Left);
}

// The column to grab from (nothing held) or to drop onto: the one whose move makes the
// longest run of one colour, or the most room for a drop that makes none.
int AutoPlayer::pickColumn(const Player& player, bool dropping) {
  const Board& board = player.board;
  int best = -1, bestValue = 0;
  for (int column = 0; column < board.width; ++column) {
    if (dropping && column == player.cursorColumn && roll(4) != 0) continue;
    Run run = topRun(board, column);
    int value = 0;
    if (dropping) {
      value = board.height - run.top + (run.colour == player.heldColour ? 20 + run.length * 4 : 0);
    } else if (run.length > 0) {
      for (int other = 0; other < board.width; ++other) {
        Run onto = topRun(board, other);
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
  if (armed && roll(100) < 30) return press(Command::PowerUp);
  int highest = 0;
  for (int column = 0; column < board.width; ++column)
    highest = std::max(highest, topRun(board, column).top + 1);
  if (highest < board.height / 2 && roll(100) < static_cast<unsigned>(pullDowns))
    return press(Command::PullDown);
  bool holding = player.actionState == Holding;
  walkTo(player, pickColumn(player, holding));
  press(holding ? Command::Drop : Command::Grab);
}
