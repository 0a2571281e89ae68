#pragma once

#include <SDL.h>

#include <string>

#include "Settings.h"
#include "TempDir.h"

// Plain images with known colours standing in for the game's art, so that tests can
// tell by a pixel which image went where. Saved as BMP under the art's names: SDL_image
// recognises the format from the bytes, whatever the extension says.

struct Rgb {
  Uint8 r, g, b;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};
std::ostream& operator<<(std::ostream& out, const Rgb& c);

// Colours exact in a 16-bit 565 screen.
extern const Rgb PieceColours[9];
extern const Rgb CursorBackColour, EmptyCursorColour, TitleColour, WarningColour;
extern const Rgb OnePlayerBackground, TwoPlayerBackground;
Rgb sparkleColour(int frame);
Rgb explosionColour(int frame);
Rgb splatColour(int colour, int frame);
Rgb cursorFrontColour(int colour);

// A 32-bit image with an alpha channel, filled with one colour.
SDL_Surface* solidImage(int w, int h, Rgb colour, Uint8 alpha = 255);
// A 24-bit image without alpha, filled with one colour.
SDL_Surface* opaqueImage(int w, int h, Rgb colour);
void saveImage(SDL_Surface* image, const std::string& path);  // frees the image
Rgb pixelAt(SDL_Surface* surface, int x, int y);

// Tests change the video, piece and clock settings; each puts them back.
struct SettingsGuard {
  Settings saved = settings;
  ~SettingsGuard() { settings = saved; }
};

// SDL's video for the length of a test, on the dummy driver.
struct VideoSession {
  VideoSession();
  ~VideoSession();
};

// A working folder with every file the display reads, entered for the test's lifetime.
// Pieces are 36 x 36 with their top and left 4-pixel bands transparent, so a cell shows
// exactly its piece colour and nothing else. Glyph 0 is 8 x 12 white; digits are 6 wide;
// 'J' (file "4a.png") is 5 wide and 'K' (file "4B.png") 7 wide. Sparkle and explosion
// frames cover only the top half of a cell, so the piece under them shows below.
struct TestArt {
  TempDir dir{true};
  TestArt();
  void remove(const std::string& name) const;
};
