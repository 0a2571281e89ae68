#include "Novice.h"

#include <algorithm>
#include <array>
#include <vector>

#include "GameLoop.h"
#include "Tuning.h"

namespace {
// The pieces touching (column, row) that react with `colour`, the cell itself included.
int groupAt(const Board& board, int column, int row, int colour) {
  std::array<std::array<bool, MaxBoardColumns>, MaxBoardRows> seen{};
  std::vector<std::pair<int, int>> open = {{column, row}};
  seen[row][column] = true;
  int count = 0;
  while (!open.empty()) {
    auto [c, r] = open.back();
    open.pop_back();
    ++count;
    for (auto [dc, dr] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}}) {
      int nc = c + dc, nr = r + dr;
      if (!board.inside(nc, nr) || seen[nr][nc]) continue;
      const Cell& cell = board.at(nc, nr);
      if (cell.is(Cell::Exploding) || cell.is(Cell::Falling)) continue;
      if (cell.colour != colour && cell.colour != Colour::Wild) continue;
      seen[nr][nc] = true;
      open.push_back({nc, nr});
    }
  }
  return count;
}

// The fewest pieces that react together on this player's board.
int smallestGroup(const Player& player) {
  return std::max(player.minGroup, SmallestMinGroup);
}

// The pieces of one colour that a drop of `count` pieces of `colour` onto column `onto`
// would join, the dropped ones included, once the run on top of column `from` is gone
// (-1: the pieces come from the hand); -1 when the drop would fill the column to the top
// row and react with nothing.
int groupAfter(const Player& player, int from, int onto, int colour, int count) {
  Board board = player.board;
  if (from >= 0) {
    TopRun run = topRun(board, from);
    for (int row = run.top; row > run.top - run.length; --row) board.at(from, row).makeEmpty();
  }
  int land = board.topPieceRow(onto) + 1;
  if (land >= board.height) return -1;
  int placed = std::min(count, board.height - land);
  for (int i = 0; i < placed; ++i) board.setCell(onto, land + i, colour);
  // Dropped pieces with no room left still join the column's top group.
  int group = count - placed;
  if (colour == Colour::Wild) {
    int best = 0;
    for (int trial = Colour::White; trial <= Colour::Dud; ++trial)
      best = std::max(best, groupAt(board, onto, land, trial));
    group += best;
  } else {
    group += groupAt(board, onto, land, colour);
  }
  if (group < smallestGroup(player) && land + count - 1 >= board.topRow()) return -1;
  return group;
}
}  // namespace

Novice::Novice(GameLoop& loop, int index, uint32_t startValue)
    : loop(loop), index(index), keys(loop, index), random(startValue * 2654435789u + index) {
  nextMoveAt = pause();  // a first look at the board before the first move
}

int32_t Novice::pause() {
  std::uniform_int_distribution<int32_t> spread(QuickestMoveMs, SlowestMoveMs);
  return spread(random);
}

Novice::Move Novice::choose(const Player& player) {
  const Board& board = player.board;
  bool holding = player.actionState == Holding;
  std::vector<Move> reacting, matching, lowering, any;
  int biggest = 0;
  for (int from = holding ? -1 : 0; from < (holding ? 0 : board.width); ++from) {
    int colour = player.heldColour, count = player.heldCount, fromTop = board.height;
    if (from >= 0) {
      TopRun run = topRun(board, from);
      if (run.length == 0) continue;
      colour = run.colour, count = run.length, fromTop = run.top;
    }
    for (int onto = 0; onto < board.width; ++onto) {
      if (onto == from || (holding && onto == grabbedFrom)) continue;
      Move move{from, onto};
      int group = groupAfter(player, from, onto, colour, count);
      if (group < 0) continue;
      if (group >= smallestGroup(player)) {
        if (group > biggest) reacting.clear(), biggest = group;
        if (group == biggest) reacting.push_back(move);
      } else if (group > count) {
        matching.push_back(move);
      } else {
        (board.topPieceRow(onto) < fromTop ? lowering : any).push_back(move);
      }
    }
  }
  for (const std::vector<Move>* moves : {&reacting, &matching, &lowering, &any})
    if (!moves->empty()) return (*moves)[random() % moves->size()];
  return Move{};
}

void Novice::handle(int id, void*, MessageBus*) {
  if (id != PollInput || !loop.game.takesCommands(loop.pending)) return;
  const Player& player = loop.game.players[index];
  if (!player.alive || !player.commands.empty() || player.flying()) return;
  if (player.elapsed < nextKeyAt) return;
  if (player.actionState == Holding) {
    // With no drop that keeps the top row clear it holds on, as a person would.
    if (target < 0) target = choose(player).onto;
    if (target < 0) return;
    if (!keys.stepTowards(player, target)) {
      keys.press(Command::Drop);
      target = -1;
    }
    nextKeyAt = player.elapsed + KeyGapMs;
    return;
  }
  if (player.actionState != Idle) return;
  if (target < 0) {
    if (player.elapsed < nextMoveAt) return;
    nextMoveAt = player.elapsed + pause();
    target = grabbedFrom = choose(player).from;
    if (target < 0) return;  // nothing worth doing: another look after the pause
  }
  if (!keys.stepTowards(player, target)) {
    keys.press(Command::Grab);
    target = -1;  // what the grab took chooses where it goes
  }
  nextKeyAt = player.elapsed + KeyGapMs;
}
