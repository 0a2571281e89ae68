#include "Beginner.h"

#include "GameLoop.h"

namespace {
// Row of the topmost piece in a column, -1 when empty; `colour` gets that piece's colour.
int topPiece(const Board& board, int column, int* colour) {
  for (int row = board.height - 1; row >= 0; --row) {
    const Cell& cell = board.at(column, row);
    if (cell.hasColour()) {
      *colour = cell.colour;
      return row;
    }
  }
  *colour = Colour::Empty;
  return -1;
}
}  // namespace

Beginner::Beginner(GameLoop& loop, int index, uint32_t startValue)
    : loop(loop), index(index), keys(loop, index), random(startValue * 2246822519u + index) {}

int Beginner::tallestColumn(const Player& player) const {
  int best = -1, bestTop = -1, colour = Colour::Empty;
  for (int column = 0; column < player.board.width; ++column) {
    int top = topPiece(player.board, column, &colour);
    if (top > bestTop) bestTop = top, best = column;
  }
  return best;
}

int Beginner::matchingColumn(const Player& player) const {
  int lowest = -1, lowestTop = player.board.height, match = -1, matchTop = player.board.height;
  int colour = Colour::Empty;
  for (int column = 0; column < player.board.width; ++column) {
    if (column == player.cursorColumn) continue;
    int top = topPiece(player.board, column, &colour);
    if (top < lowestTop) lowestTop = top, lowest = column;
    if (colour == player.heldColour && top < matchTop) matchTop = top, match = column;
  }
  return match >= 0 ? match : lowest;
}

void Beginner::handle(int id, void*, MessageBus*) {
  if (id != PollInput || !loop.game.takesCommands(loop.pending)) return;
  const Player& player = loop.game.players[index];
  if (!player.alive || !player.commands.empty()) return;
  if (dropping) {
    if (player.actionState == GrabFlight) return;
    dropping = false;
    if (player.actionState != Holding) return;  // the grab took nothing
    keys.walkTo(player, matchingColumn(player));
    keys.press(Command::Drop);
    return;
  }
  if (player.elapsed < nextMoveAt || player.actionState != Idle) return;
  std::uniform_int_distribution<int32_t> pause(FastestMoveMs, SlowestMoveMs);
  nextMoveAt = player.elapsed + pause(random);
  int column = tallestColumn(player);
  if (column < 0) return;
  keys.walkTo(player, column);
  keys.press(Command::Grab);
  dropping = true;
}
