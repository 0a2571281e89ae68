#pragma once

#include <cstdint>

#include "Fixed.h"

// A laser shot travelling down a column, one row at a time.
struct LaserShot {
  int32_t column = 0;
  int32_t row = 0;
  fixed_t pos = 0;  // 1.0 at the row's top edge, 0 at its bottom

  template <class V>
  void fields(V& v) {
    v(column), v(row), v(pos);
  }
};
