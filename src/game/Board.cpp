#include "Board.h"

#include <algorithm>

#include "Colour.h"
#include "NextRandom.h"

void Board::resize(int newWidth, int newHeight) {
  if (newWidth > 0 && newHeight > 0) {
    width = std::min(newWidth, MaxBoardColumns);
    height = std::min(newHeight, MaxBoardRows);
  } else {
    width = 0;
    height = 0;
  }
  for (auto& row : rows)
    for (auto& cell : row) cell = Cell{};
}

int Board::topPieceRow(int column) const {
  int row = topRow();
  while (row >= 0 && !at(column, row).hasColour() && !at(column, row).is(Cell::Exploding)) --row;
  return row;
}

void Board::clear() {
  for (auto& row : rows)
    for (auto& cell : row) cell.makeEmpty();
}

void Board::setCell(int column, int row, int colour) {
  Cell& cell = at(column, row);
  cell.makeEmpty();
  cell.colour = colour;
}

bool Board::moveCell(int fromColumn, int fromRow, int toColumn, int toRow) {
  if (!inside(fromColumn, fromRow) || !inside(toColumn, toRow)) return false;
  Cell& target = at(toColumn, toRow);
  if (target.hasColour() || target.is(Cell::Exploding)) return false;
  Cell& source = at(fromColumn, fromRow);
  target = source;
  source.makeEmpty();
  return true;
}

bool Board::topRowOccupied() const {
  if (height == 0) return false;
  for (int column = 0; column < width; ++column)
    if (at(column, topRow()).hasColour() || at(column, topRow()).is(Cell::Exploding)) return true;
  return false;
}

bool Board::pushRow() {
  if (rising) return true;
  if (height == 0 || topRowOccupied()) return false;
  rising = true;
  riseOffset = -FixedOne;
  // The top row is empty, so rotating it round to the bottom loses nothing.
  for (int row = topRow(); row > BottomRow; --row) rows[row].swap(rows[row - 1]);
  for (int column = width - 1; column >= 0; --column) {
    setCell(column, BottomRow, nextRandom(rowSeed) % Colour::TrueColours);
  }
  return true;
}

bool Board::advanceRise(fixed_t amount) {
  if (!rising) return false;
  riseOffset += amount;
  // Steps are multiples of 600 so the offset never lands on 0 exactly; >= keeps a row
  // from sliding for ever should that ever change.
  if (riseOffset >= 0) {
    riseOffset = 0;
    rising = false;
    return false;
  }
  return true;
}

int Board::eraseColour(int colour) {
  int count = 0;
  for (auto& row : rows)
    for (auto& cell : row) {
      if (cell.colour != colour || cell.is(Cell::Exploding)) continue;
      cell.startExploding(Colour::Empty);
      cell.flags |= Cell::Erased;
      ++count;
    }
  return count;
}
