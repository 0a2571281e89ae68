#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_image.h>

#include <cmath>
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
};

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

bool isCyan(const Rgba& p) {
  return p.r == 0 && p.g == 255 && p.b == 255;
}
bool isBlack(const Rgba& p) {
  return p.r == 0 && p.g == 0 && p.b == 0;
}

// Average colour of the opaque part, weighted by alpha, and its centre of mass.
struct Body {
  double r = 0, g = 0, b = 0, cx = 0, cy = 0, weight = 0;
};

Body bodyOf(SDL_Surface* s, bool keyed, const Rgba& key = {0, 0, 0, 0}) {
  Body body;
  for (int y = 0; y < s->h; ++y) {
    for (int x = 0; x < s->w; ++x) {
      Rgba p = pixel(s, x, y);
      double w = keyed ? ((p.r == key.r && p.g == key.g && p.b == key.b) ? 0 : 1) : p.a / 255.0;
      body.r += p.r * w;
      body.g += p.g * w;
      body.b += p.b * w;
      body.cx += (x + 0.5) * w;
      body.cy += (y + 0.5) * w;
      body.weight += w;
    }
  }
  if (body.weight > 0) {
    body.r /= body.weight, body.g /= body.weight, body.b /= body.weight;
    body.cx /= body.weight, body.cy /= body.weight;
  }
  return body;
}

bool framesDiffer(SDL_Surface* a, SDL_Surface* b) {
  if (a->w != b->w || a->h != b->h) return true;
  for (int y = 0; y < a->h; ++y) {
    for (int x = 0; x < a->w; ++x) {
      Rgba p = pixel(a, x, y), q = pixel(b, x, y);
      if (p.r != q.r || p.g != q.g || p.b != q.b || p.a != q.a) return true;
    }
  }
  return false;
}

std::string bytesOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Key-coloured pixels that cannot be reached from the image's border: holes punched
// through a keyed picture where a painted pixel happened to take the key colour.
int keyHoles(SDL_Surface* s, bool (*isKey)(const Rgba&)) {
  std::vector<char> key(size_t(s->w) * s->h), seen(key.size());
  for (int y = 0; y < s->h; ++y)
    for (int x = 0; x < s->w; ++x) key[size_t(y) * s->w + x] = isKey(pixel(s, x, y));
  std::vector<std::pair<int, int>> todo;
  for (int x = 0; x < s->w; ++x) todo.insert(todo.end(), {{x, 0}, {x, s->h - 1}});
  for (int y = 0; y < s->h; ++y) todo.insert(todo.end(), {{0, y}, {s->w - 1, y}});
  while (!todo.empty()) {
    auto [x, y] = todo.back();
    todo.pop_back();
    if (x < 0 || y < 0 || x >= s->w || y >= s->h) continue;
    size_t i = size_t(y) * s->w + x;
    if (seen[i] || !key[i]) continue;
    seen[i] = 1;
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx) todo.push_back({x + dx, y + dy});
  }
  int holes = 0;
  for (size_t i = 0; i < key.size(); ++i) holes += key[i] && !seen[i];
  return holes;
}

struct WorkingFolder {
  std::filesystem::path previous = std::filesystem::current_path();
  explicit WorkingFolder(const std::string& path) { std::filesystem::current_path(path); }
  ~WorkingFolder() { std::filesystem::current_path(previous); }
};

double luminance(const Rgba& p) {
  return 0.3 * p.r + 0.59 * p.g + 0.11 * p.b;
}

// Mean brightness of a rectangle of a background.
double meanLuminance(SDL_Surface* s, int x0, int y0, int w, int h) {
  double sum = 0;
  for (int y = y0; y < y0 + h; ++y)
    for (int x = x0; x < x0 + w; ++x) sum += luminance(pixel(s, x, y));
  return sum / (w * h);
}

}  // namespace

TEST(Art, PiecesAreGlossyAlphaImagesOverhangingUpAndLeft) {
  Picture white = load("Sprites/white.1.png");
  ASSERT_TRUE(white) << IMG_GetError();
  int overhangX = white->w - 32, overhangY = white->h - 32;
  EXPECT_GT(overhangX, 0);
  EXPECT_GT(overhangY, 0);
  EXPECT_LE(overhangX, 8);
  EXPECT_LE(overhangY, 8);

  for (int colour = 0; colour < 9; ++colour) {
    SCOPED_TRACE(kColours[colour]);
    Picture piece = load(std::string("Sprites/") + kColours[colour] + ".1.png");
    ASSERT_TRUE(piece);
    EXPECT_EQ(piece->w, white->w);
    EXPECT_EQ(piece->h, white->h);
    ASSERT_NE(piece->format->Amask, 0u) << "pieces blend with their own alpha";
    // Soft edge: clear corners, solid middle, and partly covered pixels in between.
    EXPECT_EQ(pixel(piece.get(), 0, 0).a, 0);
    EXPECT_EQ(pixel(piece.get(), piece->w - 1, piece->h - 1).a, 0);
    EXPECT_EQ(pixel(piece.get(), overhangX + 16, overhangY + 16).a, 255);
    int partial = 0;
    for (int x = 0; x < piece->w; ++x) {
      int a = pixel(piece.get(), x, piece->h / 2).a;
      if (a > 0 && a < 255) ++partial;
    }
    EXPECT_GE(partial, 2) << "edges are anti-aliased";
    // The body sits over the visible cell, leaning into the overhang, never past it.
    Body body = bodyOf(piece.get(), false);
    EXPECT_LE(body.cx, overhangX + 16.0);
    EXPECT_LE(body.cy, overhangY + 16.0);
    EXPECT_GT(body.cx, overhangX + 12.0);
    EXPECT_GT(body.cy, overhangY + 12.0);
  }
}

TEST(Art, EachPieceShowsItsOwnColour) {
  Body bodies[9];
  for (int colour = 0; colour < 9; ++colour) {
    Picture piece = load(std::string("Sprites/") + kColours[colour] + ".1.png");
    ASSERT_TRUE(piece);
    bodies[colour] = bodyOf(piece.get(), false);
  }
  auto& [white, red, yellow, orange, blue, purple, green, black, grey] = bodies;
  EXPECT_GT(red.r, red.g + 60);
  EXPECT_GT(red.r, red.b + 60);
  EXPECT_GT(yellow.r, yellow.b + 80);
  EXPECT_GT(yellow.g, yellow.b + 80);
  EXPECT_GT(orange.r, orange.g + 30);
  EXPECT_GT(orange.g, orange.b + 30);
  EXPECT_GT(blue.b, blue.r + 60);
  EXPECT_GT(purple.r, purple.g + 40);
  EXPECT_GT(purple.b, purple.g + 40);
  EXPECT_GT(green.g, green.r + 40);
  EXPECT_GT(green.g, green.b + 40);
  EXPECT_GT(white.r + white.g + white.b, 3 * 170.0);
  // Black keeps a pale rim so it shows on dark wells, but is still the darkest piece.
  for (int colour = 0; colour < 9; ++colour) {
    if (colour == 7) continue;
    EXPECT_LT(black.r + black.g + black.b, bodies[colour].r + bodies[colour].g + bodies[colour].b)
        << kColours[colour];
  }
  EXPECT_LT(black.r + black.g + black.b, 3 * 110.0);
  // Duds are stone: grey, with little colour of their own.
  EXPECT_LT(std::fabs(grey.r - grey.b), 25);
  EXPECT_LT(std::fabs(grey.g - grey.b), 25);
}

TEST(Art, CursorsAreKeyedInCyanAndPointAtTheVisibleCell) {
  Picture white = load("Sprites/white.1.png");
  ASSERT_TRUE(white);
  double cellCentre = (white->w - 32) + 16.0;

  std::vector<std::string> files = {"Sprites/cursor1.png", "Sprites/cursor.front.empty.png"};
  for (const char* colour : kColours)
    files.push_back(std::string("Sprites/cursor.") + colour + ".png");
  Picture back = load(files[0]);
  ASSERT_TRUE(back);
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    Picture cursor = load(file);
    ASSERT_TRUE(cursor);
    EXPECT_EQ(cursor->format->Amask, 0u) << "a colour key only works on an image without alpha";
    EXPECT_EQ(cursor->w, back->w);
    EXPECT_EQ(cursor->h, back->h);
    EXPECT_TRUE(isCyan(pixel(cursor.get(), 0, 0)));
    EXPECT_EQ(keyHoles(cursor.get(), isCyan), 0);
    Body shape = bodyOf(cursor.get(), true, {0, 255, 255, 0});
    ASSERT_GT(shape.weight, 40);
    // The cursor stands at its column's left edge; its pointer must sit over the cell.
    EXPECT_NEAR(shape.cx, cellCentre, 1.0);
  }
  // The fronts for held pieces differ from one another (the held colour shows).
  Picture red = load("Sprites/cursor.red.png"), blue = load("Sprites/cursor.blue.png");
  Picture empty = load("Sprites/cursor.front.empty.png");
  EXPECT_TRUE(framesDiffer(red.get(), blue.get()));
  EXPECT_TRUE(framesDiffer(red.get(), empty.get()));

  Picture menu = load("Sprites/menucursor.png");
  ASSERT_TRUE(menu);
  EXPECT_NE(menu->format->Amask, 0u);
  Picture icon = load("Sprites/icon.png");
  ASSERT_TRUE(icon);
  EXPECT_EQ(icon->w, 32);
  EXPECT_EQ(icon->h, 32);
}

TEST(Art, SplatsExplosionAndSparklesAreMovingAnimations) {
  const char* splatColours[] = {"red", "yellow", "orange", "blue", "purple", "green"};
  for (const char* colour : splatColours) {
    Picture previous;
    for (int frame = 1; frame <= 5; ++frame) {
      std::string file =
          std::string("Sprites/") + colour + ".splat." + std::to_string(frame) + ".png";
      SCOPED_TRACE(file);
      Picture splat = load(file);
      ASSERT_TRUE(splat);
      EXPECT_EQ(splat->format->Amask, 0u);
      EXPECT_TRUE(isBlack(pixel(splat.get(), 0, 0))) << "black is the splats' colour key";
      EXPECT_EQ(keyHoles(splat.get(), isBlack), 0) << "dark paint must not turn transparent";
      Body body = bodyOf(splat.get(), true, {0, 0, 0, 0});
      EXPECT_GT(body.weight, 20);
      if (previous) {
        EXPECT_TRUE(framesDiffer(previous.get(), splat.get()));
      }
      previous = std::move(splat);
    }
  }
  struct Run {
    const char* name;
    int frames;
  } runs[] = {{"explosion", 6}, {"sparkles", 11}};
  for (const Run& run : runs) {
    Picture previous;
    for (int frame = 1; frame <= run.frames; ++frame) {
      std::string file = std::string("Sprites/") + run.name + "." + std::to_string(frame) + ".png";
      SCOPED_TRACE(file);
      Picture image = load(file);
      ASSERT_TRUE(image);
      EXPECT_NE(image->format->Amask, 0u);
      if (previous) {
        EXPECT_TRUE(framesDiffer(previous.get(), image.get()));
      }
      previous = std::move(image);
    }
  }
}

TEST(Art, FontHasGlyphZeroAndEveryPrintableCharacterUnderTheNamesTheGameTries) {
  // The game reads its font from its working folder, which is the data folder.
  WorkingFolder inData(kData);
  std::unique_ptr<ResourceSource> font(openResourceLibrary("Font"));
  int lineHeight = -1;
  for (int code = 0; code < 256; ++code) {
    if (code > 0 && (code < 0x20 || code > 0x7e)) continue;
    char lower[16];
    std::snprintf(lower, sizeof lower, "/%x.png", code);
    Resource r = font->load(lower, true);
    SCOPED_TRACE(lower);
    ASSERT_FALSE(r.absent());
    SDL_Surface* glyph = loadImageFromResource(r);
    font->release(r);
    ASSERT_NE(glyph, nullptr);
    EXPECT_NE(glyph->format->Amask, 0u);
    if (code == 0) lineHeight = glyph->h;
    EXPECT_EQ(glyph->h, lineHeight) << "every glyph is one line high";
    SDL_FreeSurface(glyph);
  }
  EXPECT_GT(lineHeight, 12);

  // A letter is white (so tints colour it fully) with a dark edge.
  Picture a = load("Font/41.png");
  ASSERT_TRUE(a);
  bool white = false, dark = false;
  for (int y = 0; y < a->h; ++y) {
    for (int x = 0; x < a->w; ++x) {
      Rgba p = pixel(a.get(), x, y);
      if (p.a == 255 && p.r == 255 && p.g == 255 && p.b == 255) white = true;
      if (p.a > 160 && luminance(p) < 40) dark = true;
    }
  }
  EXPECT_TRUE(white);
  EXPECT_TRUE(dark);
}

TEST(Art, BackgroundsAreFullScreenPicturesInTheirFormats) {
  const char* files[] = {"Backgrounds/Warning.png", "Backgrounds/title.jpg",
                         "Backgrounds/menu.jpg",    "Backgrounds/Video.jpg",
                         "Backgrounds/Sound.jpg",   "Backgrounds/Controls.jpg",
                         "Backgrounds/1p.jpg",      "Backgrounds/ocean2p.jpg"};
  for (const char* file : files) {
    SCOPED_TRACE(file);
    Picture picture = load(file);
    ASSERT_TRUE(picture) << IMG_GetError();
    EXPECT_EQ(picture->w, 640);
    EXPECT_EQ(picture->h, 480);
    std::string head = bytesOf(kData + "/" + file).substr(0, 4);
    bool png = std::string(file).find(".png") != std::string::npos;
    EXPECT_EQ(head, png ? std::string("\x89PNG") : std::string("\xff\xd8\xff", 3) + head[3]);
  }
}

TEST(Art, GameBackgroundsHaveDarkWellsWherePiecesAndBanksGo) {
  Picture one = load("Backgrounds/1p.jpg");
  Picture two = load("Backgrounds/ocean2p.jpg");
  ASSERT_TRUE(one);
  ASSERT_TRUE(two);
  Picture white = load("Sprites/white.1.png");
  int overhang = white->w - 32;
  // Everything a board's pieces can cover, overhang included, is dark glass; just
  // outside it the frame is clearly lighter.
  struct Case {
    SDL_Surface* background;
    int x, y;
  } boards[] = {{one.get(), 191, 33}, {two.get(), 31, 33}, {two.get(), 371, 33}};
  for (const Case& b : boards) {
    SCOPED_TRACE(b.x);
    double well = meanLuminance(b.background, b.x, b.y, 224 + overhang, 416);
    EXPECT_LT(well, 45);
    for (int x : {b.x + 2, b.x + 224 + overhang - 3})
      for (int y : {b.y + 2, b.y + 413}) EXPECT_LT(luminance(pixel(b.background, x, y)), 60);
    double frameLeft = meanLuminance(b.background, b.x - 4, b.y + 100, 3, 200);
    EXPECT_GT(frameLeft, well + 30);
  }
  for (int bankX : {273, 325}) {
    SCOPED_TRACE(bankX);
    EXPECT_LT(meanLuminance(two.get(), bankX, 36, 32, 384), 45);
    EXPECT_GT(meanLuminance(two.get(), bankX - 3, 100, 2, 200), 60);
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
    SCOPED_TRACE(relative);
    EXPECT_EQ(bytesOf(entry.path().string()), bytesOf(kData + "/" + relative));
    ++compared;
  }
  EXPECT_GT(compared, 200);
}
