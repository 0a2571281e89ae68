#include "PlayerKeys.h"

#include "Binding.h"
#include "GameLoop.h"

void PlayerKeys::press(int command) const {
  Binding binding{command, index};
  loop.bus.post<PlayerCommand>(&binding);
}

void PlayerKeys::walkTo(const Player& player, int column) const {
  for (int c = player.cursorColumn; c < column; ++c) press(Command::Right);
  for (int c = player.cursorColumn; c > column; --c) press(Command::Left);
}

bool PlayerKeys::stepTowards(const Player& player, int column) const {
  if (player.cursorColumn == column) return false;
  press(player.cursorColumn < column ? Command::Right : Command::Left);
  return true;
}

TopRun topRun(const Board& board, int column) {
  TopRun run;
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
