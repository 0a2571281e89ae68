#pragma once

#include <array>
#include <cstdint>

#include "Cell.h"
#include "Fixed.h"

// The room a board has: every game uses the whole of it, so the rules can keep the grid
// inside the board's own value.
constexpr int MaxBoardColumns = 7;
constexpr int MaxBoardRows = 13;

// A player's grid, addressed as rows[row][column]. The two ends by their roles: for the
// rules row 0 is the bottom row (BottomRow), where new rows come in, and height - 1 the
// top (topRow()), the row that must stay clear for the player to stay in; on the screen
// the board is drawn the other way up, the bottom row at the top, under the pieces pushed
// in, and the top row by the cursor.
class Board {
public:
  static constexpr int BottomRow = 0;

  bool rising = false;     // a new row is sliding in
  fixed_t riseOffset = 0;  // -1.0 just after a push, climbing to 0
  int32_t width = 0;
  int32_t height = 0;
  std::array<std::array<Cell, MaxBoardColumns>, MaxBoardRows> rows{};
  uint32_t rowSeed = 0;  // the row generator's state

  // Sizes beyond the room are cut to it.
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
  int topRow() const { return height - 1; }
  // The row of the topmost piece of a column (a piece still exploding counts, so that a
  // grab never reaches under it); -1 when the column is empty.
  int topPieceRow(int column) const;
  // Any cell of the top row holding a piece or still exploding.
  bool topRowOccupied() const;

  template <class V>
  void fields(V& v) {
    v(rising), v(riseOffset), v(width), v(height), v(rowSeed);
    for (int row = 0; row < height; ++row)
      for (int column = 0; column < width; ++column) v(rows[row][column]);
  }
};
