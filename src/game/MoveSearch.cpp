#include "MoveSearch.h"

#include <algorithm>
#include <numeric>

#include "Colour.h"

namespace {
// The colour on top of a column if its top piece can be grabbed, else Colour::Empty.
int grabbableColour(const Board& board, int column) {
  int row = board.topPieceRow(column);
  if (row < 0 || board.at(column, row).is(Cell::Exploding)) return Colour::Empty;
  return board.at(column, row).colour;
}
}  // namespace

void MoveSearch::begin(const Player& real, const OpponentView& view, const ComputerLevel& lvl,
                       std::mt19937& rng) {
  level = lvl;
  random = &rng;
  judge.look(real, static_cast<uint32_t>(rng()), view);
  firsts.clear();
  seconds.clear();
  looked.clear();
  listPlans(judge.snapshot(), true, firsts);
  next = nextLook = 0;
  phase = firsts.empty() ? Done : FirstMoves;
  choice = Plan{};
  choice.kind = -1;
}

void MoveSearch::listPlans(const Player& from, bool deep, std::vector<Candidate>& out) {
  const Board& board = from.board;
  std::vector<int> tops(board.width);
  for (int c = 0; c < board.width; ++c) tops[c] = grabbableColour(board, c);
  auto move = [&out](int grab, int gather, int column, int colour) {
    Plan plan;
    plan.grab = grab;
    plan.gather = gather;
    plan.column = column;
    plan.colour = colour;
    out.push_back({plan, 0});
  };
  bool gathers = deep && level.gathers;
  if (from.actionState == Holding) {
    for (int column = 0; column < board.width; ++column) move(-1, -1, column, from.heldColour);
    if (gathers)
      for (int more = 0; more < board.width; ++more)
        if (tops[more] == from.heldColour)
          for (int column = 0; column < board.width; ++column)
            if (column != more) move(-1, more, column, from.heldColour);
  } else if (from.actionState == Idle) {
    std::vector<int> sources;
    for (int c = 0; c < board.width; ++c)
      if (tops[c] != Colour::Empty) sources.push_back(c);
    if (deep && level.sourceColumns < static_cast<int>(sources.size())) {
      std::shuffle(sources.begin(), sources.end(), *random);
      sources.resize(std::max(1, level.sourceColumns));
    }
    for (int grab : sources) {
      for (int column = 0; column < board.width; ++column)
        if (column != grab) move(grab, -1, column, tops[grab]);
      if (!gathers) continue;
      for (int more = 0; more < board.width; ++more)
        if (more != grab && tops[more] == tops[grab])
          for (int column = 0; column < board.width; ++column)
            if (column != more) move(grab, more, column, tops[grab]);
    }
  }
  if (!deep) return;
  Plan other;
  if (from.playerCount() >= 2 && !from.bank.stored.empty()) {
    other.kind = Plan::PowerUp;
    out.push_back({other, 0});
  } else if (from.playerCount() < 2 && from.laserCharges > 0) {
    other.kind = Plan::PowerUp;
    for (int column = 0; column < board.width; ++column) {
      other.column = column;
      out.push_back({other, 0});
    }
  }
  // Doing nothing is judged too, so that a board with no good move is left alone.
  for (int kind : {Plan::PullDown, Plan::Wait}) {
    other = Plan{};
    other.kind = kind;
    out.push_back({other, 0});
  }
}

bool MoveSearch::advance(int budget) {
  int updates = 0;
  while (phase != Done && updates < budget) {
    if (phase == FirstMoves) {
      Candidate& c = firsts[next++];
      c.value = judge.judge(c.plan, false, updates) + noise();
      if (next == firsts.size()) startSecondLooks(updates);
    } else {
      if (next == seconds.size()) {
        // The first move is worth the best board it leads to, one move later.
        double best = JudgeWeight::Lost;
        for (const Candidate& s : seconds) best = std::max(best, s.value);
        Candidate& first = firsts[looked[nextLook++]];
        first.value = std::max(first.value, best);
        seconds.clear();
        if (nextLook == looked.size()) {
          choose();
          break;
        }
        judge.judge(firsts[looked[nextLook]].plan, false, updates);
        judge.keepAsMiddle();
        listPlans(judge.middleBoard(), false, seconds);
        next = 0;
        continue;
      }
      Candidate& s = seconds[next++];
      s.value = judge.judge(s.plan, true, updates) + noise();
    }
  }
  return phase == Done;
}

void MoveSearch::startSecondLooks(int& updates) {
  std::vector<size_t> order(firsts.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [this](size_t a, size_t b) { return firsts[a].value > firsts[b].value; });
  for (size_t i = 0; i < order.size() && static_cast<int>(i) < level.secondLooks; ++i)
    if (firsts[order[i]].value > JudgeWeight::Lost && firsts[order[i]].plan.kind == Plan::Move)
      looked.push_back(order[i]);
  if (looked.empty()) {
    choose();
    return;
  }
  phase = SecondMoves;
  seconds.clear();
  next = 0;
  nextLook = 0;
  judge.judge(firsts[looked[0]].plan, false, updates);
  judge.keepAsMiddle();
  listPlans(judge.middleBoard(), false, seconds);
}

void MoveSearch::choose() {
  phase = Done;
  // A plan that gains nothing over waiting is not worth the keys: without this a level
  // can carry one piece back and forth between two columns for the rest of the game.
  size_t best = firsts.size() - 1;
  for (size_t i = 0; i < firsts.size(); ++i) {
    double margin = firsts[best].plan.kind == Plan::Wait ? JudgeWeight::Bother : 0.0;
    if (firsts[i].value > firsts[best].value + margin) best = i;
  }
  if (static_cast<int>((*random)() % 100) < level.misjudgePercent) {
    // A misjudgement picks any plan that does not lose on the spot.
    std::vector<size_t> fair;
    for (size_t i = 0; i < firsts.size(); ++i)
      if (firsts[i].value > JudgeWeight::Lost / 2) fair.push_back(i);
    if (!fair.empty()) best = fair[(*random)() % fair.size()];
  }
  choice = firsts[best].plan;
}

double MoveSearch::valueOf(const Plan& plan) const {
  for (const Candidate& c : firsts)
    if (c.plan.kind == plan.kind && c.plan.grab == plan.grab && c.plan.gather == plan.gather &&
        c.plan.column == plan.column)
      return c.value;
  return JudgeWeight::Lost;
}

double MoveSearch::noise() {
  if (level.judgeNoise <= 0) return 0;
  std::normal_distribution<double> spread(0.0, level.judgeNoise);
  return spread(*random);
}
