#include "MoveJudge.h"

#include <algorithm>

#include "Colour.h"
#include "Command.h"
#include "ComputerLevel.h"

namespace {
// Longer steps than a real frame: the outcome of a move hardly depends on the step, since
// reactions are only looked for on quiet frames, and the search gets through more plans.
constexpr int32_t TrialStepMs = 64;
constexpr int GrabStepLimit = 16;     // a grab flight takes about four steps
constexpr int SettleStepLimit = 120;  // about 8 s of chain; longer ones are cut short

bool settled(const Player& p) {
  if (!p.alive) return true;
  // A row still sliding in does not count: late in Survival one always is.
  if (p.flying() || p.actionState == DropDone || !p.commands.empty() || p.chainCount != 0 ||
      !p.lasers.empty())
    return false;
  for (const auto& row : p.board.rows)
    for (const Cell& cell : row)
      if (cell.flags & (Cell::Falling | Cell::Exploding | Cell::Check)) return false;
  return true;
}
}  // namespace

void MoveJudge::look(const Player& real, uint32_t rowState, const OpponentView& view) {
  base = real;
  base.board.rowSeed = rowState;
  base.bank.randomState = rowState ^ 0x9e3779b9u;
  base.commands.clear();
  opponentOwedRows = view.owedRows;
}

void MoveJudge::keepAsMiddle() {
  middle = trial;
}

double MoveJudge::judge(const Plan& plan, bool fromMiddle, int& updates) {
  trial = fromMiddle ? middle : base;
  chainSeen = 0;
  bool played = play(plan, updates);
  stepUntil(settled, SettleStepLimit, updates);
  double result = value();
  if (!played) result -= 1.0;  // a plan whose grab takes nothing wastes the time
  // The trial cannot show what slowing the other side or easier reactions are worth.
  const auto& stored = (fromMiddle ? middle : base).bank.stored;
  if (plan.kind == Plan::PowerUp && trial.playerCount() >= 2 && !stored.empty() &&
      (stored.back().kind == Colour::Yellow || stored.back().kind == Colour::Red))
    result += JudgeWeight::StrikeOrEase;
  if (plan.kind == Plan::PullDown && base.board.height > 0) {
    int pieces = 0;
    for (const auto& row : base.board.rows)
      for (const Cell& cell : row) pieces += cell.hasColour() ? 1 : 0;
    if (pieces < JudgeWeight::LowBoardPieces) result += JudgeWeight::LowBoardPull;
  }
  return result;
}

bool MoveJudge::play(const Plan& plan, int& updates) {
  // The cursor is put over the column at once: the walk would only cost trial steps.
  switch (plan.kind) {
    case Plan::PullDown:
      trial.commands.push_back(Command::PullDown);
      return true;
    case Plan::Wait:
      return true;
    case Plan::PowerUp:
      if (plan.column >= 0) moveTo(plan.column);
      trial.commands.push_back(Command::PowerUp);
      return true;
    default:
      break;
  }
  if (plan.grab >= 0 && !grabAt(plan.grab, updates)) return false;
  if (plan.gather >= 0 && !grabAt(plan.gather, updates)) return false;
  if (trial.actionState != Holding) return false;
  moveTo(plan.column);
  trial.commands.push_back(Command::Drop);
  return true;
}

void MoveJudge::moveTo(int column) {
  trial.cursorColumn = column;
  trial.cursorPos = column * FixedOne;
}

bool MoveJudge::grabAt(int column, int& updates) {
  moveTo(column);
  int before = trial.heldCount;
  trial.commands.push_back(Command::Grab);
  stepUntil([](const Player& p) { return p.commands.empty() && !p.flying(); }, GrabStepLimit,
            updates);
  return trial.actionState == Holding && trial.heldCount > before;
}

bool MoveJudge::stepUntil(bool (*done)(const Player&), int limit, int& updates) {
  for (int i = 0; i < limit; ++i) {
    if (done(trial)) return true;
    trial.update(TrialStepMs, Running, ignored);
    ++updates;
    chainSeen = std::max(chainSeen, trial.chainCount);
  }
  return done(trial);
}

double MoveJudge::value() const {
  const Board& board = trial.board;
  // A full top row is lost even while a row slides in: nothing is reacting to clear it.
  if (!trial.alive || board.topRowOccupied()) return JudgeWeight::Lost;
  using namespace JudgeWeight;
  int exploded = trial.totalPieces + trial.chainPieces - base.totalPieces - base.chainPieces;
  double pieceWeight = PieceExploded * (1.0 + OpponentPressure * opponentOwedRows);
  double result = exploded * pieceWeight;
  if (chainSeen > 1) result += ChainLink * (chainSeen - 1) * (chainSeen - 1);
  int highest = 0, pieces = 0, pairs = 0, duds = 0;
  for (int row = 0; row < board.height; ++row)
    for (int column = 0; column < board.width; ++column) {
      const Cell& cell = board.at(column, row);
      if (!cell.hasColour()) continue;
      ++pieces;
      highest = std::max(highest, row + 1);
      if (cell.colour == Colour::Dud) ++duds;
      if (cell.colour == Colour::Wild) continue;
      if (column + 1 < board.width && board.at(column + 1, row).colour == cell.colour) ++pairs;
      if (row + 1 < board.height && board.at(column, row + 1).colour == cell.colour) ++pairs;
    }
  int owed = trial.owedRows();
  int danger = std::max(0, highest + owed - SafeRows);
  result -= Height * pieces + Danger * danger * danger + Dud * duds;
  result += SamePair * pairs;
  // Held pieces are pieces still to place: judged as if on the board.
  result -= Height * trial.heldCount;
  return result;
}
