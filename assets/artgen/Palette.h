#pragma once

#include "Canvas.h"
#include "LayoutGeometry.h"

// The board's colour codes (the game's Colour values), shared by pieces, cursors and splats.
enum PieceColour { White, Red, Yellow, Orange, Blue, Purple, Green, Black, Grey, ColourCount };

inline const char* colourName(int colour) {
  return geometry::kPieceNames[colour];
}

inline Colour pieceBase(int colour) {
  switch (colour) {
    case White:
      return rgb(232, 234, 242);
    case Red:
      return rgb(222, 34, 44);
    case Yellow:
      return rgb(250, 212, 28);
    case Orange:
      return rgb(250, 128, 22);
    case Blue:
      return rgb(34, 96, 236);
    case Purple:
      return rgb(150, 52, 206);
    case Green:
      return rgb(38, 184, 66);
    case Black:
      return rgb(44, 44, 58);
    default:
      return rgb(124, 120, 112);
  }
}
