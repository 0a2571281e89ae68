// Groups, wild pieces, colour mixing and the scoring of chains.
#include <algorithm>

#include "Colour.h"
#include "Player.h"
#include "Tuning.h"

int32_t Player::countGroup(int column, int row, int trialColour, bool mark) {
  static const int stepColumn[4] = {-1, 1, 0, 0};
  static const int stepRow[4] = {0, 0, -1, 1};
  Cell& cell = board.at(column, row);
  cell.visit += 1;
  int32_t count = 1;
  for (int k = 0; k < 4; ++k) {
    int c = column + stepColumn[k], r = row + stepRow[k];
    if (!board.inside(c, r)) continue;
    const Cell& next = board.at(c, r);
    bool matches = next.colour == cell.colour || next.colour == Colour::Wild ||
                   (cell.colour == Colour::Wild && next.colour == trialColour);
    if (matches && next.visit < cell.visit && !next.is(Cell::Exploding) && !next.is(Cell::Falling))
      count += countGroup(c, r, trialColour, mark);
  }
  if (mark) {
    if (cell.colour == Colour::Wild) cell.colour = trialColour;
    if (cell.hasColour()) cell.startExploding(Colour::Empty);
  }
  // Dropped pieces that found no room on a full column still belong to its top group.
  if (actionState == DropDone && column == flightColumn && row == board.topRow()) {
    count += flightCount;
    if (mark) returnToIdle();
  }
  return count;
}

int32_t Player::react(StepEvents& events) {
  int32_t total = 0;
  for (int row = 0; row < board.height; ++row)
    for (int column = 0; column < board.width; ++column) {
      Cell& cell = board.at(column, row);
      if (!cell.is(Cell::Check)) continue;
      int32_t threshold = std::max(minGroup, SmallestMinGroup);
      if (cell.colour == Colour::Wild) {
        int best = 0;
        int32_t bestCount = 0;
        for (int trial = Colour::White; trial <= Colour::Dud; ++trial) {
          cell.colour = trial;
          int32_t n = countGroup(column, row, trial, false);
          if (n > bestCount) {
            bestCount = n;
            best = trial;
          }
        }
        if (bestCount >= threshold) {
          cell.colour = best;
          int32_t m = countGroup(column, row, best, true);
          total += m;
          bank.charge(*this, best, m, events);
          piecesByColour[best] += m;
        } else {
          cell.colour = Colour::Wild;
        }
      } else if (cell.visit == 0 && cell.colour >= Colour::White && cell.colour <= Colour::Dud) {
        int colour = cell.colour;
        if (countGroup(column, row, colour, false) >= threshold) {
          int32_t m = countGroup(column, row, colour, true);
          total += m;
          bank.charge(*this, colour, m, events);
          piecesByColour[colour] += m;
        }
      }
    }

  for (int row = 0; row < board.height; ++row)
    for (int column = 0; column < board.width; ++column) {
      Cell& cell = board.at(column, row);
      if (cell.is(Cell::Exploding) && cell.timer == 0 && !cell.hasColour() &&
          !cell.is(Cell::Erased) && cell.oldColour >= Colour::Red &&
          cell.oldColour <= Colour::Green) {
        spreadColour(column - 1, row, cell.oldColour);
        spreadColour(column, row - 1, cell.oldColour);
        spreadColour(column + 1, row, cell.oldColour);
        spreadColour(column, row + 1, cell.oldColour);
      }
      cell.flags &= ~Cell::Check;
    }
  return total;
}

void Player::spreadColour(int column, int row, int colour) {
  if (!board.inside(column, row)) return;
  Cell& cell = board.at(column, row);
  if (cell.colour < Colour::White || cell.colour > Colour::Green) return;
  if (cell.flags & (Cell::Falling | Cell::Exploding | Cell::Check)) return;
  int mixed = cell.colour | colour;
  if (mixed == cell.colour) return;
  cell.startExploding(mixed);
  cell.mixColour = colour;
}

void Player::closeChain(StepEvents& events) {
  double base = chainPieces * 0.1;
  base *= scoreMultiplier();
  score += (chainCount - 0.5) * base;
  maxChain = std::max(maxChain, chainCount);
  totalPieces += chainPieces;
  // A chain that was counted is always closed, even when its explosions finished within a
  // single long frame and nothing was seen moving; otherwise it would be scored again on
  // every quiet frame.
  if (activity != 0 || chainCount != 0 || chainPieces != 0) {
    if (minGroupHold)
      minGroupHold = false;
    else if (minGroup < StartMinGroup && chainCount > 0)
      minGroup += 1;
    chainCount = 0;
    chainPieces = 0;
    bank.endOfChain(*this, events);
  }
  activity = 0;
  if (multiplierTimer == 1) multiplierTimer = 0;
}
