#include "TestArt.h"

#include <sys/stat.h>
#include <unistd.h>

#include <ostream>
#include <stdexcept>

namespace {

// Keeps the colour a 16-bit screen can show exactly, as SDL reads it back.
Rgb exact(Rgb c) {
  int r = c.r >> 3, g = c.g >> 2, b = c.b >> 3;
  return {Uint8(r * 255 / 31), Uint8(g * 255 / 63), Uint8(b * 255 / 31)};
}

}  // namespace

const Rgb PieceColours[9] = {exact({248, 252, 248}), exact({248, 0, 0}),  exact({248, 252, 0}),
                             exact({248, 128, 0}),   exact({0, 0, 248}),  exact({128, 0, 248}),
                             exact({0, 252, 0}),     exact({40, 40, 40}), exact({128, 128, 128})};
const Rgb CursorBackColour = exact({200, 100, 48});
const Rgb EmptyCursorColour = exact({64, 64, 200});
const Rgb TitleColour = exact({248, 0, 248});
const Rgb WarningColour = exact({0, 0, 248});
const Rgb OnePlayerBackground = exact({16, 32, 64});
const Rgb TwoPlayerBackground = exact({32, 16, 64});

Rgb sparkleColour(int frame) {
  return exact({Uint8(16 * frame), 200, 8});
}
Rgb explosionColour(int frame) {
  return exact({200, Uint8(32 * frame), 8});
}
Rgb splatColour(int colour, int frame) {
  return exact({Uint8(8 * colour), Uint8(40 * frame), 240});
}
Rgb cursorFrontColour(int colour) {
  return exact({Uint8(24 * colour + 8), 8, 160});
}

std::ostream& operator<<(std::ostream& out, const Rgb& c) {
  return out << "(" << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << ")";
}

SDL_Surface* solidImage(int w, int h, Rgb c, Uint8 alpha) {
  SDL_Surface* image =
      SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0xff0000, 0xff00, 0xff, 0xff000000);
  SDL_FillRect(image, nullptr, SDL_MapRGBA(image->format, c.r, c.g, c.b, alpha));
  return image;
}

SDL_Surface* opaqueImage(int w, int h, Rgb c) {
  SDL_Surface* image = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 24, 0xff0000, 0xff00, 0xff, 0);
  SDL_FillRect(image, nullptr, SDL_MapRGB(image->format, c.r, c.g, c.b));
  return image;
}

void saveImage(SDL_Surface* image, const std::string& path) {
  if (SDL_SaveBMP(image, path.c_str()) != 0) throw std::runtime_error("cannot save " + path);
  SDL_FreeSurface(image);
}

Rgb pixelAt(SDL_Surface* surface, int x, int y) {
  SDL_LockSurface(surface);
  const Uint8* at = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch +
                    x * surface->format->BytesPerPixel;
  Uint32 pixel = 0;
  for (int i = surface->format->BytesPerPixel - 1; i >= 0; --i) pixel = (pixel << 8) | at[i];
  SDL_UnlockSurface(surface);
  Rgb c;
  SDL_GetRGB(pixel, surface->format, &c.r, &c.g, &c.b);
  return c;
}

VideoSession::VideoSession() {
  if (SDL_Init(SDL_INIT_VIDEO) != 0) throw std::runtime_error(SDL_GetError());
}
VideoSession::~VideoSession() {
  SDL_Quit();
}

namespace {

const char* const Names[9] = {"white",  "red",   "yellow", "orange", "blue",
                              "purple", "green", "black",  "grey"};

// A piece: its colour fills the cell, the overhang bands above and left are clear.
SDL_Surface* pieceImage(Rgb colour) {
  SDL_Surface* image = solidImage(36, 36, colour);
  Uint32 clear = SDL_MapRGBA(image->format, 0, 0, 0, 0);
  SDL_Rect top = {0, 0, 36, 4}, left = {0, 0, 4, 36};
  SDL_FillRect(image, &top, clear);
  SDL_FillRect(image, &left, clear);
  return image;
}

// Cyan is the cursors' key: a cyan column at the right edge must never show.
SDL_Surface* cursorImage(int h, Rgb colour) {
  SDL_Surface* image = opaqueImage(32, h, colour);
  SDL_Rect edge = {31, 0, 1, Uint16(h)};
  SDL_FillRect(image, &edge, SDL_MapRGB(image->format, 0, 255, 255));
  return image;
}

}  // namespace

TestArt::TestArt() {
  for (const char* folder : {"Sprites", "Font", "Backgrounds"})
    mkdir(dir.file(folder).c_str(), 0755);
  auto sprite = [this](const std::string& name, SDL_Surface* image) {
    saveImage(image, dir.file("Sprites/" + name));
  };
  for (int i = 0; i < 9; ++i) {
    std::string name = Names[i];
    sprite(name + ".1.png", pieceImage(PieceColours[i]));
    sprite("cursor." + name + ".png", cursorImage(8, cursorFrontColour(i)));
    if (i >= 1 && i <= 6) {
      for (int f = 1; f <= 5; ++f) {
        sprite(name + ".splat." + std::to_string(f) + ".png",
               opaqueImage(32, 32, splatColour(i, f)));
      }
    }
  }
  for (int f = 1; f <= 6; ++f) {
    sprite("explosion." + std::to_string(f) + ".png", solidImage(32, 16, explosionColour(f)));
  }
  for (int f = 1; f <= 11; ++f) {
    sprite("sparkles." + std::to_string(f) + ".png", solidImage(32, 16, sparkleColour(f)));
  }
  sprite("cursor1.png", cursorImage(40, CursorBackColour));
  sprite("cursor.front.empty.png", cursorImage(8, EmptyCursorColour));
  sprite("menucursor.png", opaqueImage(16, 16, {0, 252, 248}));
  sprite("icon.png", solidImage(32, 32, {248, 128, 0}));

  auto background = [this](const std::string& name, Rgb colour) {
    saveImage(opaqueImage(640, 480, colour), dir.file("Backgrounds/" + name));
  };
  background("Warning.png", WarningColour);
  background("title.jpg", TitleColour);
  background("menu.jpg", {0, 128, 0});
  background("1p.jpg", OnePlayerBackground);
  background("ocean2p.jpg", TwoPlayerBackground);

  saveImage(solidImage(8, 12, {255, 255, 255}), dir.file("Font/0.png"));
  for (char digit = '0'; digit <= '9'; ++digit) {
    saveImage(solidImage(6, 12, {255, 255, 255}),
              dir.file("Font/" + std::to_string(digit - '0' + 30) + ".png"));
  }
  saveImage(solidImage(5, 12, {255, 255, 255}), dir.file("Font/4a.png"));
  saveImage(solidImage(7, 12, {255, 255, 255}), dir.file("Font/4B.png"));
}

void TestArt::remove(const std::string& name) const {
  unlink(dir.file(name).c_str());
}
