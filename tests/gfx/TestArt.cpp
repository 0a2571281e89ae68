#include "TestArt.h"

#include <sys/stat.h>
#include <unistd.h>

#include <stdexcept>

namespace {

// What a 16-bit screen keeps of a colour, as SDL reads it back.
Rgb exact(int r, int g, int b) {
  return {Uint8((r >> 3) * 255 / 31), Uint8((g >> 2) * 255 / 63), Uint8((b >> 3) * 255 / 31)};
}

const char* const Names[9] = {"white",  "red",   "yellow", "orange", "blue",
                              "purple", "green", "black",  "grey"};

}  // namespace

const Rgb PieceColours[9] = {exact(248, 252, 248), exact(248, 0, 0),  exact(248, 252, 0),
                             exact(248, 128, 0),   exact(0, 0, 248),  exact(128, 0, 248),
                             exact(0, 252, 0),     exact(40, 40, 40), exact(128, 128, 128)};
const Rgb CursorBack = exact(200, 100, 48), EmptyCursor = exact(64, 64, 200),
          Title = exact(248, 0, 248), Background1p = exact(16, 32, 64),
          Background2p = exact(32, 16, 64);

Rgb artColour(ArtKind kind, int n) {
  return exact(24 * kind + 8, 16 * n, 160);
}

SDL_Surface* solidImage(int w, int h, Rgb c, int alpha) {
  SDL_Surface* image = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, alpha < 0 ? 24 : 32, 0xff0000,
                                            0xff00, 0xff, alpha < 0 ? 0 : 0xff000000);
  SDL_FillRect(image, nullptr, SDL_MapRGBA(image->format, c.r, c.g, c.b, Uint8(alpha)));
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

TestArt::TestArt() {
  for (const char* folder : {"Sprites", "Font", "Backgrounds"})
    mkdir(dir.file(folder).c_str(), 0755);
  auto save = [this](const std::string& name, SDL_Surface* image) {
    saveImage(image, dir.file(name));
  };
  auto cursor = [](int h, Rgb c) {  // with a cyan column that must never show
    SDL_Surface* image = solidImage(32, h, c, Keyed);
    SDL_Rect edge = {31, 0, 1, Uint16(h)};
    SDL_FillRect(image, &edge, SDL_MapRGB(image->format, 0, 255, 255));
    return image;
  };
  for (int i = 0; i < 9; ++i) {
    std::string name = std::string("Sprites/") + Names[i];
    SDL_Surface* piece = solidImage(36, 36, PieceColours[i]);
    SDL_Rect top = {0, 0, 36, 4}, left = {0, 0, 4, 36};
    SDL_FillRect(piece, &top, 0);
    SDL_FillRect(piece, &left, 0);
    save(name + ".1.png", piece);
    save("Sprites/cursor." + std::string(Names[i]) + ".png", cursor(8, artColour(CursorFront, i)));
    for (int f = 1; f <= 5 && i >= 1 && i <= 6; ++f) {
      save(name + ".splat." + std::to_string(f) + ".png",
           solidImage(32, 32, artColour(Splat, f), Keyed));
    }
  }
  for (int f = 1; f <= 11; ++f) {
    std::string n = std::to_string(f) + ".png";
    save("Sprites/sparkles." + n, solidImage(32, 16, artColour(Sparkle, f)));
    if (f <= 6) save("Sprites/explosion." + n, solidImage(32, 16, artColour(Explosion, f)));
  }
  save("Sprites/cursor1.png", cursor(40, CursorBack));
  save("Sprites/cursor.front.empty.png", cursor(8, EmptyCursor));
  save("Sprites/menucursor.png", solidImage(16, 16, {0, 252, 248}, Keyed));
  save("Sprites/icon.png", solidImage(32, 32, {248, 128, 0}));
  save("Backgrounds/Warning.png", solidImage(640, 480, {0, 0, 248}, Keyed));
  save("Backgrounds/title.jpg", solidImage(640, 480, Title, Keyed));
  save("Backgrounds/menu.jpg", solidImage(640, 480, {0, 128, 0}, Keyed));
  save("Backgrounds/1p.jpg", solidImage(640, 480, Background1p, Keyed));
  save("Backgrounds/ocean2p.jpg", solidImage(640, 480, Background2p, Keyed));
  save("Font/0.png", solidImage(8, 12, {255, 255, 255}));
  for (int digit = 0; digit <= 9; ++digit) {
    save("Font/3" + std::to_string(digit) + ".png", solidImage(6, 12, {255, 255, 255}));
  }
  save("Font/4a.png", solidImage(5, 12, {255, 255, 255}));
  save("Font/4B.png", solidImage(7, 12, {255, 255, 255}));
}

void TestArt::remove(const std::string& name) const {
  unlink(dir.file(name).c_str());
}
