#pragma once

#include <cstdint>
#include <vector>

#include "Cell.h"
#include "Fixed.h"

// A player's grid. Row 0 is the bottom row; cells are addressed as rows[row][column].
class Board {
public:
  bool rising = false;     // a new row is sliding in
  fixed_t riseOffset = 0;  // -1.0 just after a push, climbing to 0
  int32_t width = 0;
  int32_t height = 0;
  std::vector<std::vector<Cell>> rows;
  uint32_t rowSeed = 0;  // the row generator's state

  void resize(int newWidth, int newHeight);
  void clear();
  void setCell(int column, int row, int colour);
  bool moveCell(int fromColumn, int fromRow, int toColumn, int toRow);
  // Pushes a fresh random row in at the bottom; false when the top row is occupied.
  bool pushRow();
  bool advanceRise(fixed_t amount);
  // Destroys every piece of the colour that is not already reacting; returns how many.
  int eraseColour(int colour);

  Cell& at(int column, int row) { return rows[row][column]; }
  const Cell& at(int column, int row) const { return rows[row][column]; }
  bool inside(int column, int row) const {
    return column >= 0 && row >= 0 && column < width && row < height;
  }
  // Any cell of the top row holding a piece or still exploding.
  bool topRowOccupied() const;
};
