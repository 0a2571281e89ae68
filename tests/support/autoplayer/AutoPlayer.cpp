#include "AutoPlayer.h"

#include <algorithm>

#include "Binding.h"
#include "Game.h"

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

AutoPlayer::AutoPlayer(Game& game, int index, uint32_t startValue)
    : game(game), index(index), random(startValue * 2654435761u + index) {}

void AutoPlayer::handle(int id, void*, MessageBus*) {
  if (id != PollInput || game.state != Running || game.paused) return;
  Player& player = game.players[index];
  if (!player.controller || !player.commands.empty()) return;
  if (player.elapsed - lastThought < thinkEvery) return;
  lastThought = player.elapsed;
  think(player);
}

void AutoPlayer::press(int command) {
  Binding binding{command, index};
  game.bus.post(PlayerCommand, &binding);
}

void AutoPlayer::walkTo(Player& player, int column) {
  for (int c = player.cursorColumn; c < column; ++c) press(Command::Right);
  for (int c = player.cursorColumn; c > column; --c) press(Command::Left);
}

int AutoPlayer::pickSource(Player& player) {
  const Board& board = player.board;
  int best = -1, bestValue = 0;
  for (int source = 0; source < board.width; ++source) {
    Run from = topRun(board, source);
    if (from.length == 0) continue;
    for (int target = 0; target < board.width; ++target) {
      if (target == source) continue;
      Run onto = topRun(board, target);
      if (onto.colour != from.colour || onto.top >= board.height - from.length - 1) continue;
      int value = from.length + onto.length;
      if (value > bestValue) {
        bestValue = value;
        best = source;
      }
    }
  }
  if (best < 0 || roll(100) < static_cast<unsigned>(mistakes)) best = roll(board.width);
  return best;
}

int AutoPlayer::pickTarget(Player& player) {
  const Board& board = player.board;
  int best = -1, bestValue = -1;
  for (int target = 0; target < board.width; ++target) {
    if (target == player.cursorColumn && player.heldCount > 0 && roll(4) != 0) continue;
    Run onto = topRun(board, target);
    int room = board.height - 1 - onto.top;
    int value = room + (onto.colour == player.heldColour ? 20 + onto.length * 4 : 0);
    if (value > bestValue) {
      bestValue = value;
      best = target;
    }
  }
  if (best < 0 || roll(100) < static_cast<unsigned>(mistakes)) best = roll(board.width);
  return best;
}

void AutoPlayer::think(Player& player) {
  const Board& board = player.board;
  if (player.actionState == GrabFlight || player.actionState == DropFlight) return;
  bool versus = game.layout && game.layout->playerCount > 1;
  if ((versus && !player.bank.stored.empty()) || (!versus && player.laserCharges > 0)) {
    if (roll(100) < 30) {
      press(Command::PowerUp);
      return;
    }
  }
  int highest = 0;
  for (int column = 0; column < board.width; ++column)
    highest = std::max(highest, topRun(board, column).top + 1);
  if (highest < board.height / 2 && roll(100) < static_cast<unsigned>(pullDowns)) {
    press(Command::PullDown);
    return;
  }
  if (player.actionState == Holding) {
    // Gather more of the held colour first when dropping now would not make a group.
    int target = pickTarget(player);
    Run onto = topRun(board, target);
    int group = player.heldCount + (onto.colour == player.heldColour ? onto.length : 0);
    if (group < player.minGroup && roll(100) >= static_cast<unsigned>(mistakes)) {
      for (int column = 0; column < board.width; ++column) {
        Run more = topRun(board, column);
        if (column != target && more.colour == player.heldColour && more.length > 0) {
          walkTo(player, column);
          press(Command::Grab);
          return;
        }
      }
    }
    walkTo(player, target);
    press(Command::Drop);
  } else {
    walkTo(player, pickSource(player));
    press(Command::Grab);
  }
}
