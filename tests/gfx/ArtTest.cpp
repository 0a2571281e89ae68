#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "DirectoryResourceSource.h"
#include "ImageLoading.h"
#include "TempDir.h"

// The generated art as the game reads it: every file the game opens, decoded by
// SDL_image, with the sizes, transparency and placement the renderer relies on.
namespace {

const std::string kData = PIGMORA_DATA_DIR;
const char* kColours[] = {"white",  "red",   "yellow", "orange", "blue",
                          "purple", "green", "black",  "grey"};

struct SurfaceFree {
  void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using Picture = std::unique_ptr<SDL_Surface, SurfaceFree>;

Picture load(const std::string& file) {
  return Picture(IMG_Load((kData + "/" + file).c_str()));
}

struct Rgba {
  int r, g, b, a;
  bool sameColour(const Rgba& o) const { return r == o.r && g == o.g && b == o.b; }
};
const Rgba Cyan = {0, 255, 255, 0}, Black = {0, 0, 0, 0};

Rgba pixel(SDL_Surface* s, int x, int y) {
  SDL_LockSurface(s);
  const Uint8* p =
      static_cast<const Uint8*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel;
  Uint32 value = 0;
  std::memcpy(&value, p, s->format->BytesPerPixel);
  if (SDL_BYTEORDER == SDL_BIG_ENDIAN) value >>= 8 * (4 - s->format->BytesPerPixel);
  SDL_UnlockSurface(s);
  Uint8 r, g, b, a;
  SDL_GetRGBA(value, s->format, &r, &g, &b, &a);
  return {r, g, b, a};
}

double luminance(const Rgba& p) {
  return 0.3 * p.r + 0.59 * p.g + 0.11 * p.b;
}

// Average colour of the visible part (by alpha, or everything but the key colour),
// its centre of mass, and the mean brightness of the whole rectangle looked at.
struct Body {
  double r = 0, g = 0, b = 0, cx = 0, cy = 0, weight = 0, brightness = 0;
};

Body bodyOf(SDL_Surface* s, const Rgba* key = nullptr, SDL_Rect area = {0, 0, 0, 0}) {
  if (area.w == 0) area = {0, 0, Uint16(s->w), Uint16(s->h)};
  Body body;
  for (int y = area.y; y < area.y + area.h; ++y) {
    for (int x = area.x; x < area.x + area.w; ++x) {
      Rgba p = pixel(s, x, y);
      double w = key ? !p.sameColour(*key) : p.a / 255.0;
      body.r += p.r * w, body.g += p.g * w, body.b += p.b * w;
      body.cx += (x + 0.5) * w, body.cy += (y + 0.5) * w;
      body.weight += w;
      body.brightness += luminance(p) / (area.w * area.h);
    }
  }
  if (body.weight > 0) {
    body.r /= body.weight, body.g /= body.weight, body.b /= body.weight;
    body.cx /= body.weight, body.cy /= body.weight;
  }
  return body;
}

std::string bytesOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The generator's encoder adds nothing of its own, so equal pictures are equal files.
bool samePicture(const std::string& a, const std::string& b) {
  return bytesOf(kData + "/" + a) == bytesOf(kData + "/" + b);
}

// Key-coloured pixels that cannot be reached from the image's border: holes punched
// through a keyed picture where a painted pixel happened to take the key colour.
int keyHoles(SDL_Surface* s, const Rgba& key) {
  std::vector<char> seen(size_t(s->w) * s->h);
  std::vector<std::pair<int, int>> todo;
  for (int x = 0; x < s->w; ++x) todo.insert(todo.end(), {{x, 0}, {x, s->h - 1}});
  for (int y = 0; y < s->h; ++y) todo.insert(todo.end(), {{0, y}, {s->w - 1, y}});
  while (!todo.empty()) {
    auto [x, y] = todo.back();
    todo.pop_back();
    if (x < 0 || y < 0 || x >= s->w || y >= s->h) continue;
    size_t i = size_t(y) * s->w + x;
    if (seen[i] || !pixel(s, x, y).sameColour(key)) continue;
    seen[i] = 1;
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx) todo.push_back({x + dx, y + dy});
  }
  int holes = 0;
  for (int y = 0; y < s->h; ++y)
    for (int x = 0; x < s->w; ++x)
      holes += !seen[size_t(y) * s->w + x] && pixel(s, x, y).sameColour(key);
  return holes;
}

}  // namespace

TEST(Art, PiecesAreGlossyAlphaImagesOverhangingUpAndLeftEachInItsOwnColour) {
  Picture white = load("Sprites/white.1.png");
  ASSERT_TRUE(white) << IMG_GetError();
  int overhangX = white->w - 32, overhangY = white->h - 32;
  EXPECT_TRUE(overhangX > 0 && overhangX <= 8 && overhangY > 0 && overhangY <= 8);

  Body bodies[9];
  for (int colour = 0; colour < 9; ++colour) {
    SCOPED_TRACE(kColours[colour]);
    Picture piece = load(std::string("Sprites/") + kColours[colour] + ".1.png");
    ASSERT_TRUE(piece);
    EXPECT_TRUE(piece->w == white->w && piece->h == white->h);
    ASSERT_NE(piece->format->Amask, 0u) << "pieces blend with their own alpha";
    // Soft edge: clear corners, solid middle, and partly covered pixels in between.
    EXPECT_EQ(pixel(piece.get(), 0, 0).a, 0);
    EXPECT_EQ(pixel(piece.get(), piece->w - 1, piece->h - 1).a, 0);
    EXPECT_EQ(pixel(piece.get(), overhangX + 16, overhangY + 16).a, 255);
    int partial = 0;
    for (int x = 0; x < piece->w; ++x) {
      int a = pixel(piece.get(), x, piece->h / 2).a;
      partial += a > 0 && a < 255;
    }
    EXPECT_GE(partial, 2) << "edges are anti-aliased";
    // The body sits over the visible cell, leaning into the overhang, never past it.
    Body& body = bodies[colour] = bodyOf(piece.get());
    EXPECT_TRUE(body.cx <= overhangX + 16.0 && body.cx > overhangX + 12.0) << body.cx;
    EXPECT_TRUE(body.cy <= overhangY + 16.0 && body.cy > overhangY + 12.0) << body.cy;
  }
  auto& [whiteBody, red, yellow, orange, blue, purple, green, black, grey] = bodies;
  EXPECT_GT(red.r - std::max(red.g, red.b), 60);
  EXPECT_GT(std::min(yellow.r, yellow.g) - yellow.b, 80);
  EXPECT_TRUE(orange.r > orange.g + 30 && orange.g > orange.b + 30);
  EXPECT_GT(blue.b - blue.r, 60);
  EXPECT_GT(std::min(purple.r, purple.b) - purple.g, 40);
  EXPECT_GT(green.g - std::max(green.r, green.b), 40);
  EXPECT_GT(whiteBody.r + whiteBody.g + whiteBody.b, 3 * 170.0);
  // Black keeps a pale rim so it shows on dark wells, but is still the darkest piece.
  for (const Body& other : bodies) {
    EXPECT_TRUE(&other == &black || black.r + black.g + black.b < other.r + other.g + other.b);
  }
  EXPECT_LT(black.r + black.g + black.b, 3 * 110.0);
  // Duds are stone: grey, with little colour of their own.
  EXPECT_TRUE(std::abs(grey.r - grey.b) < 25 && std::abs(grey.g - grey.b) < 25);
}

TEST(Art, CursorsAreKeyedInCyanAndPointAtTheVisibleCell) {
  Picture white = load("Sprites/white.1.png");
  ASSERT_TRUE(white);
  double cellCentre = (white->w - 32) + 16.0;

  std::vector<std::string> files = {"cursor1.png", "cursor.front.empty.png"};
  for (const char* colour : kColours) files.push_back(std::string("cursor.") + colour + ".png");
  Picture back = load("Sprites/cursor1.png");
  ASSERT_TRUE(back);
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    Picture cursor = load("Sprites/" + file);
    ASSERT_TRUE(cursor);
    EXPECT_EQ(cursor->format->Amask, 0u) << "a colour key only works on an image without alpha";
    EXPECT_TRUE(cursor->w == back->w && cursor->h == back->h);
    EXPECT_TRUE(pixel(cursor.get(), 0, 0).sameColour(Cyan));
    EXPECT_EQ(keyHoles(cursor.get(), Cyan), 0);
    Body shape = bodyOf(cursor.get(), &Cyan);
    ASSERT_GT(shape.weight, 40);
    // The cursor stands at its column's left edge; its pointer must sit over the cell.
    EXPECT_NEAR(shape.cx, cellCentre, 1.0);
    // Every front differs from the others: the held colour shows.
    for (const std::string& other : files)
      EXPECT_TRUE(other == file || !samePicture("Sprites/" + file, "Sprites/" + other)) << other;
  }

  Picture menu = load("Sprites/menucursor.png"), icon = load("Sprites/icon.png");
  ASSERT_TRUE(menu && icon);
  EXPECT_NE(menu->format->Amask, 0u);
  EXPECT_TRUE(icon->w == 32 && icon->h == 32);
}

TEST(Art, SplatsExplosionAndSparklesAreMovingAnimations) {
  std::vector<std::pair<std::string, int>> runs = {{"explosion.", 6}, {"sparkles.", 11}};
  for (const char* colour : {"red", "yellow", "orange", "blue", "purple", "green"})
    runs.push_back({std::string(colour) + ".splat.", 5});
  for (const auto& [name, frames] : runs) {
    bool splat = name.find("splat") != std::string::npos;
    for (int frame = 1; frame <= frames; ++frame) {
      std::string file = "Sprites/" + name + std::to_string(frame) + ".png";
      SCOPED_TRACE(file);
      Picture image = load(file);
      ASSERT_TRUE(image);
      EXPECT_EQ(image->format->Amask != 0u, !splat) << "splats are keyed, the rest blend";
      if (splat) {
        EXPECT_TRUE(pixel(image.get(), 0, 0).sameColour(Black)) << "black is the splats' key";
        EXPECT_EQ(keyHoles(image.get(), Black), 0) << "dark paint must not turn transparent";
        EXPECT_GT(bodyOf(image.get(), &Black).weight, 20);
      }
      std::string before = "Sprites/" + name + std::to_string(frame - 1) + ".png";
      EXPECT_TRUE(frame == 1 || !samePicture(before, file)) << "each frame is a step";
    }
  }
}

TEST(Art, FontHasGlyphZeroAndEveryPrintableCharacterUnderTheNamesTheGameTries) {
  // The game reads its font from its working folder, which is the data folder.
  struct InData {
    std::filesystem::path previous = std::filesystem::current_path();
    InData() { std::filesystem::current_path(kData); }
    ~InData() { std::filesystem::current_path(previous); }
  } inData;
  std::unique_ptr<ResourceSource> font(openResourceLibrary("Font"));
  int lineHeight = -1;
  for (int code = 0; code <= 0x7e; code = code ? code + 1 : 0x20) {
    char lower[16];
    std::snprintf(lower, sizeof lower, "/%x.png", code);
    SCOPED_TRACE(lower);
    Resource r = font->load(lower, true);
    ASSERT_FALSE(r.absent());
    Picture glyph(loadImageFromResource(r));
    font->release(r);
    ASSERT_TRUE(glyph);
    EXPECT_NE(glyph->format->Amask, 0u);
    if (code == 0) lineHeight = glyph->h;
    EXPECT_EQ(glyph->h, lineHeight) << "every glyph is one line high";
  }
  EXPECT_GT(lineHeight, 12);

  // A letter is white (so tints colour it fully) with a dark edge.
  Picture a = load("Font/41.png");
  ASSERT_TRUE(a);
  bool white = false, dark = false;
  for (int y = 0; y < a->h; ++y) {
    for (int x = 0; x < a->w; ++x) {
      Rgba p = pixel(a.get(), x, y);
      white |= p.a == 255 && p.r == 255 && p.g == 255 && p.b == 255;
      dark |= p.a > 160 && luminance(p) < 40;
    }
  }
  EXPECT_TRUE(white && dark);
}

TEST(Art, GameBackgroundsAreFullScreenWithDarkWellsWherePiecesAndBanksGo) {
  for (const char* file : {"Warning.png", "title.jpg", "menu.jpg", "Video.jpg", "Sound.jpg",
                           "Controls.jpg", "1p.jpg", "ocean2p.jpg"}) {
    Picture picture = load(std::string("Backgrounds/") + file);
    ASSERT_TRUE(picture) << file << ": " << IMG_GetError();
    EXPECT_TRUE(picture->w == 640 && picture->h == 480) << file;
  }
  Picture one = load("Backgrounds/1p.jpg"), two = load("Backgrounds/ocean2p.jpg");
  int overhang = load("Sprites/white.1.png")->w - 32;
  // Everything a board's pieces can cover, overhang included, is dark glass; just
  // outside it the frame is clearly lighter.
  struct Case {
    SDL_Surface* background;
    Sint16 x, y;
  } boards[] = {{one.get(), 191, 33}, {two.get(), 31, 33}, {two.get(), 371, 33}};
  for (const Case& b : boards) {
    SCOPED_TRACE(b.x);
    double well = bodyOf(b.background, nullptr, {b.x, b.y, Uint16(224 + overhang), 416}).brightness;
    EXPECT_LT(well, 45);
    for (int x : {b.x + 2, b.x + 224 + overhang - 3})
      for (int y : {b.y + 2, b.y + 413}) EXPECT_LT(luminance(pixel(b.background, x, y)), 60);
    EXPECT_GT(
        bodyOf(b.background, nullptr, {Sint16(b.x - 4), Sint16(b.y + 100), 3, 200}).brightness,
        well + 30);
  }
  for (Sint16 bankX : {273, 325}) {
    SCOPED_TRACE(bankX);
    EXPECT_LT(bodyOf(two.get(), nullptr, {bankX, 36, 32, 384}).brightness, 45);
    EXPECT_GT(bodyOf(two.get(), nullptr, {Sint16(bankX - 3), 100, 2, 200}).brightness, 60);
  }
}

TEST(Art, GeneratorGivesTheSameBytesEveryTime) {
  TempDir again;
  std::string command = std::string("\"") + PIGMORA_ARTGEN + "\" \"" + again.path() + "/data\" \"" +
                        again.path() + "/sheet.png\" > /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  int compared = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(again.path() + "/data")) {
    if (!entry.is_regular_file()) continue;
    std::string relative = std::filesystem::relative(entry.path(), again.path() + "/data").string();
    EXPECT_EQ(bytesOf(entry.path().string()), bytesOf(kData + "/" + relative)) << relative;
    ++compared;
  }
  EXPECT_GT(compared, 200);
}
