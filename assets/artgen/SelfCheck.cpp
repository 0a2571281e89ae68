// What the game's drawing code relies on in the art, checked on the pictures as the game
// will show them: the kind of transparency it expects, pictures over the cells they
// belong to, pieces in their own colours, the whole font, and dark wells where the
// boards and banks go (the game's layout, not this generator's own tables).
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "Output.h"

namespace {

int failures = 0;
void expect(bool ok, const std::string& what) {
  if (!ok) std::printf("artgen check failed: %s\n", what.c_str()), ++failures;
}

struct Rect {
  int x, y, w, h;
};
// The mean colour (0..255) and centre of what shows, weighted by alpha, and the mean
// brightness of the whole area.
struct Body {
  double r = 0, g = 0, b = 0, x = 0, y = 0, weight = 0, brightness = 0;
};
Body bodyOf(const Canvas& c, Rect area = {0, 0, 0, 0}) {
  if (area.w == 0) area = {0, 0, c.width(), c.height()};
  Body body;
  for (int y = area.y; y < area.y + area.h; ++y)
    for (int x = area.x; x < area.x + area.w; ++x) {
      const Colour& p = c.at(x, y);
      body.r += 255 * p.r * p.a, body.g += 255 * p.g * p.a, body.b += 255 * p.b * p.a;
      body.x += (x + 0.5) * p.a, body.y += (y + 0.5) * p.a, body.weight += p.a;
      body.brightness += 255 * (0.3 * p.r + 0.59 * p.g + 0.11 * p.b) / (area.w * area.h);
    }
  for (double* mean : {&body.r, &body.g, &body.b, &body.x, &body.y}) *mean /= body.weight;
  return body;
}

const char* const Colours[] = {"white",  "red",   "yellow", "orange", "blue",
                               "purple", "green", "black",  "grey"};
const int Overhang = 4;  // pieces reach this far up and left of their 32-pixel cell

}  // namespace

int selfCheck(const Output& out) {
  auto find = [&out](const std::string& file) -> const Output::Entry* {
    for (const Output::Entry& e : out.entries())
      if (e.file == file) return &e;
    std::printf("artgen check failed: %s was not made\n", file.c_str());
    ++failures;
    return nullptr;
  };
  auto keyed = [&](const Output::Entry& e, KeyColour key) {
    bool same = e.key.r == key.r && e.key.g == key.g && e.key.b == key.b;
    expect(e.storage == Storage::Keyed && same, e.file + " keyed in the game's key colour");
    expect(e.picture.at(0, 0).a < 0.5f, e.file + " clear at its corner");
  };

  Body pieces[9];
  for (int colour = 0; colour < 9; ++colour) {
    const Output::Entry* e = find(std::string("Sprites/") + Colours[colour] + ".1.png");
    if (!e) continue;
    const Canvas& c = e->picture;
    expect(
        e->storage == Storage::Alpha && c.width() == 32 + Overhang && c.height() == 32 + Overhang,
        e->file + " blends with alpha, overhanging its cell");
    expect(c.at(0, 0).a == 0 && c.at(Overhang + 16, Overhang + 16).a == 1, e->file + " soft edge");
    Body& body = pieces[colour] = bodyOf(c);
    expect(body.x <= Overhang + 16 && body.x > Overhang + 12 && body.y <= Overhang + 16 &&
               body.y > Overhang + 12,
           e->file + " over its cell");
  }
  auto& [white, red, yellow, orange, blue, purple, green, black, grey] = pieces;
  expect(white.r + white.g + white.b > 3 * 170.0, "white pieces are white");
  expect(red.r - std::max(red.g, red.b) > 60, "red pieces are red");
  expect(std::min(yellow.r, yellow.g) - yellow.b > 80, "yellow pieces are yellow");
  expect(orange.r > orange.g + 30 && orange.g > orange.b + 30, "orange pieces are orange");
  expect(blue.b - blue.r > 60, "blue pieces are blue");
  expect(std::min(purple.r, purple.b) - purple.g > 40, "purple pieces are purple");
  expect(green.g - std::max(green.r, green.b) > 40, "green pieces are green");
  expect(black.r + black.g + black.b < 3 * 110.0, "black pieces are dark");
  expect(std::abs(grey.r - grey.b) < 25 && std::abs(grey.g - grey.b) < 25, "duds are grey");

  std::vector<const Output::Entry*> cursors = {find("Sprites/cursor1.png"),
                                               find("Sprites/cursor.front.empty.png")};
  for (const char* colour : Colours)
    cursors.push_back(find(std::string("Sprites/cursor.") + colour + ".png"));
  for (const Output::Entry* e : cursors) {
    if (!e) continue;
    keyed(*e, {0, 255, 255});
    expect(std::abs(bodyOf(e->picture).x - (Overhang + 16)) < 1, e->file + " points at the cell");
    for (const Output::Entry* other : cursors)
      expect(e == other || !other || e->picture.pixels.size() != other->picture.pixels.size() ||
                 std::memcmp(e->picture.pixels.data(), other->picture.pixels.data(),
                             e->picture.pixels.size() * sizeof(Colour)) != 0,
             e->file + " differs from " + (other ? other->file : ""));
  }

  const struct {
    std::string name;
    int frames;
  } runs[] = {{"explosion", 6},    {"sparkles", 11},  {"red.splat", 5},    {"yellow.splat", 5},
              {"orange.splat", 5}, {"blue.splat", 5}, {"purple.splat", 5}, {"green.splat", 5}};
  for (const auto& run : runs)
    for (int frame = 1; frame <= run.frames; ++frame) {
      const Output::Entry* e = find("Sprites/" + run.name + "." + std::to_string(frame) + ".png");
      if (!e) continue;
      if (run.name.find("splat") != std::string::npos)
        keyed(*e, {0, 0, 0});
      else
        expect(e->storage == Storage::Alpha, e->file + " blends with alpha");
    }

  const Output::Entry* zero = find("Font/0.png");
  for (int code = 0x20; code <= 0x7e && zero; ++code) {
    char file[16];
    std::snprintf(file, sizeof file, "Font/%x.png", code);
    const Output::Entry* e = find(file);
    expect(e && e->storage == Storage::Alpha && e->picture.height() == zero->picture.height(),
           std::string(file) + " one line high");
  }
  // Text must read over any piece, also red text over red pieces: between a letter's
  // face and whatever lies under it there is always a solid dark pixel (the tints
  // multiply, so they leave it dark).
  for (int code = 0x21; code <= 0x7e; ++code) {
    char file[16];
    std::snprintf(file, sizeof file, "Font/%x.png", code);
    const Output::Entry* e = find(file);
    if (!e) continue;
    const Canvas& c = e->picture;
    auto light = [](const Colour& p) { return 0.3 * p.r + 0.59 * p.g + 0.11 * p.b; };
    int thin = 0;
    for (int y = 0; y < c.height(); ++y)
      for (int x = 0; x < c.width(); ++x) {
        if (c.at(x, y).a < 0.99f || light(c.at(x, y)) < 0.9) continue;  // not the face
        for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
          int solid = 0, px = x + dx, py = y + dy;
          // Out from the face until what lies under the text would show through.
          for (; px >= 0 && py >= 0 && px < c.width() && py < c.height(); px += dx, py += dy) {
            const Colour& p = c.at(px, py);
            if (p.a < 0.5f) break;
            solid += p.a >= 0.95f && light(p) <= 0.15;
          }
          // Glyphs sit edge to edge at their advance, so the outline of a wide letter is
          // cut at its image's outermost pixels; there the space or the next letter goes on.
          bool clipped = px <= 0 || py <= 0 || px >= c.width() - 1 || py >= c.height() - 1;
          thin += !clipped && solid == 0;
        }
      }
    expect(thin == 0, std::string(file) + " has a solid dark edge all round");
  }
  if (const Output::Entry* a = find("Font/41.png")) {
    bool white = false, dark = false;
    for (const Colour& p : a->picture.pixels) {
      white |= p.a == 1 && p.r == 1 && p.g == 1 && p.b == 1;
      dark |= p.a > 0.63f && 0.3 * p.r + 0.59 * p.g + 0.11 * p.b < 0.16;
    }
    expect(white && dark, "letters are white, so tints colour them, with a dark edge");
  }

  for (const char* file : {"Warning.png", "title.jpg", "menu.jpg", "Video.jpg", "Sound.jpg",
                           "Controls.jpg", "1p.jpg", "ocean2p.jpg"})
    if (const Output::Entry* e = find(std::string("Backgrounds/") + file))
      expect(e->picture.width() == 640 && e->picture.height() == 480,
             e->file + " fills the screen");
  const struct {
    const char* file;
    Rect well;  // where the game draws a board's pieces or a power-up bank
  } wells[] = {{"Backgrounds/1p.jpg", {191, 33, 224 + Overhang, 416}},
               {"Backgrounds/ocean2p.jpg", {31, 33, 224 + Overhang, 416}},
               {"Backgrounds/ocean2p.jpg", {371, 33, 224 + Overhang, 416}},
               {"Backgrounds/ocean2p.jpg", {273, 36, 32, 384}},
               {"Backgrounds/ocean2p.jpg", {325, 36, 32, 384}}};
  for (const auto& w : wells) {
    const Output::Entry* e = find(w.file);
    if (!e) continue;
    std::string where = e->file + " at " + std::to_string(w.well.x);
    double inside = bodyOf(e->picture, w.well).brightness;
    expect(inside < 45, where + ": a dark well");
    Rect edge = {w.well.x - 4, w.well.y + 100, 3, 200};
    expect(bodyOf(e->picture, edge).brightness > inside + 30, where + ": a lighter frame");
    for (int corner = 0; corner < 4; ++corner) {
      Rect spot = {w.well.x + (corner % 2 ? w.well.w - 3 : 2),
                   w.well.y + (corner / 2 ? w.well.h - 3 : 2), 1, 1};
      expect(bodyOf(e->picture, spot).brightness < 60, where + ": dark to its corners");
    }
  }
  std::printf("artgen check: %d failures\n", failures);
  return failures;
}
