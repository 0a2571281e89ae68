#pragma once

#include <SDL.h>

#include <ostream>
#include <string>

#include "Settings.h"
#include "TempDir.h"

// Plain images of known colours standing in for the game's art, so that a pixel tells
// which image went where. Saved as BMP under the art's names: SDL_image goes by the bytes.

struct Rgb {
  Uint8 r, g, b;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};
inline std::ostream& operator<<(std::ostream& out, const Rgb& c) {
  return out << "(" << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << ")";
}

// All colours below read back exactly from a 16-bit screen.
extern const Rgb PieceColours[9], CursorBack, EmptyCursor, Title, Background1p, Background2p;
enum ArtKind { Sparkle, Explosion, Splat, CursorFront };
Rgb artColour(ArtKind kind, int n);  // frame n of an animation, or a colour's cursor front

const int Keyed = -1;  // no alpha channel, for the colour-keyed images
SDL_Surface* solidImage(int w, int h, Rgb colour, int alpha = 255);  // 32-bit with alpha
void saveImage(SDL_Surface* image, const std::string& path);         // frees the image
Rgb pixelAt(SDL_Surface* surface, int x, int y);

// Tests change the video, piece and clock settings; each puts them back.
struct SettingsGuard {
  Settings saved = settings;
  ~SettingsGuard() { settings = saved; }
};

// SDL's video on the dummy driver for the length of a test.
struct VideoSession {
  VideoSession() { SDL_Init(SDL_INIT_VIDEO); }
  ~VideoSession() { SDL_Quit(); }
};

// A working folder, entered for the test's lifetime, with every file the display reads.
// Pieces are 36 x 36 with clear 4-pixel bands at the top and left, so a cell shows exactly
// its piece colour. Sparkle and explosion frames cover only the top half of a cell.
// Glyph 0 is 8 x 12 white, digits 6 wide, 'J' ("4a.png") 5 wide and 'K' ("4B.png") 7 wide.
struct TestArt {
  TempDir dir{true};
  TestArt();
  void remove(const std::string& name) const;
};
