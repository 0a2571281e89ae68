#pragma once

// Piece colours. The eight true colours are three-bit masks (red 1, yellow 2, blue 4), so
// mixing two colours is a bitwise OR; duds never mix and wild pieces match any colour.
namespace Colour {
enum Value : int {
  Empty = -1,
  White = 0,
  Red = 1,
  Yellow = 2,
  Orange = 3,
  Blue = 4,
  Purple = 5,
  Green = 6,
  Black = 7,
  Dud = 8,
  Wild = 9,
};
// White to Black: the colours new rows bring and mixing makes.
constexpr int TrueColours = Black + 1;
}  // namespace Colour
