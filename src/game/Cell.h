#pragma once

#include <cstdint>

#include "Colour.h"
#include "Fixed.h"

// One grid position of a board.
struct Cell {
  enum Flag : uint8_t {
    Erased = 0x01,     // destroyed by a colour erase or a laser: spreads no colour
    Falling = 0x02,    // moving down towards the row below
    Exploding = 0x04,  // reacting: destroyed (colour empty) or changing colour
    Check = 0x08,      // look for a group here at the next reaction pass
    LaserHit = 0x10,   // explodes twice as fast
  };

  uint8_t flags = 0;
  uint32_t visit = 0;  // stamp of the group search
  int32_t colour = Colour::Empty;
  int32_t oldColour = Colour::Empty;  // the colour before the last change
  int32_t mixColour = Colour::Empty;  // the colour that spread into this cell last
  fixed_t fall = 0;                   // progress towards the row below
  fixed_t timer = 0;                  // progress of the current explosion or mix

  template <class V>
  void fields(V& v) {
    v(flags), v(visit), v(colour), v(oldColour), v(mixColour), v(fall), v(timer);
  }

  bool is(uint8_t flag) const { return (flags & flag) != 0; }
  bool hasColour() const { return colour != Colour::Empty; }
  // Starts a reaction that ends with the piece in newColour: Colour::Empty destroys it.
  void startExploding(int32_t newColour) {
    oldColour = colour;
    colour = newColour;
    timer = 0;
    flags = static_cast<uint8_t>((flags & ~(Erased | Check)) | Exploding);
  }
  // An empty cell keeps oldColour: the renderer still fades it out.
  void makeEmpty() {
    flags = 0;
    visit = 0;
    colour = Colour::Empty;
    mixColour = Colour::Empty;
    fall = 0;
    timer = 0;
  }
};
