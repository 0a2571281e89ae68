#pragma once

#include "Fixed.h"

// A laser shot travelling down a column, one row at a time.
struct LaserShot {
  int column;
  int row;
  fixed_t pos;  // 1.0 at the row's top edge, 0 at its bottom
};
