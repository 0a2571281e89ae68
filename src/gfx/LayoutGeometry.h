#pragma once

// Where the game draws over its backgrounds, shared by the game's layout and the art
// generator that paints the backgrounds to fit it: board
// rectangles of 7 x 13 cells of 32 pixels, the power-up bank columns of a two-player
// game and the score rectangles. Piece images overhang their cells by 4 pixels up and
// left, so the pieces of a board cover x0 .. x0 + 228 and y0 .. y0 + 416.
namespace geometry {

struct Rect {
  int x, y, w, h;
};

constexpr int kCell = 32;
constexpr int kOverhang = 4;
constexpr int kColumns = 7, kRows = 13;

constexpr Rect kBoard1p{191, 33, 224, 416};
constexpr Rect kScore1p{191, 8, 224, 32};
constexpr Rect kBoards2p[2] = {{31, 33, 224, 416}, {371, 33, 224, 416}};
constexpr Rect kBanks2p[2] = {{273, 36, 32, 384}, {325, 36, 32, 384}};
constexpr Rect kScores2p[2] = {{31, 9, 224, 24}, {371, 9, 224, 24}};

// The file names of the piece images and cursor fronts, by colour code up to duds.
constexpr const char* kPieceNames[9] = {"white",  "red",   "yellow", "orange", "blue",
                                        "purple", "green", "black",  "grey"};

// The area the pieces of a board can cover, overhang included.
constexpr Rect well(const Rect& board) {
  return {board.x, board.y, board.w + kOverhang, board.h};
}

// Menus: the main menu's lines start at (200, 200), the Controls list at (104, 50), the
// About text at (150, 150); every line is one glyph height (24) below the last.
constexpr int kLineHeight = 24;
// The panel of the main menu's background, where the waiting screens' notices stand too.
constexpr Rect kMenuPanel{130, 140, 380, 236};

}  // namespace geometry
