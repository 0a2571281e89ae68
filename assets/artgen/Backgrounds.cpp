#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "LayoutGeometry.h"
#include "Output.h"
#include "Palette.h"
#include "Type.h"

using geometry::Rect;

namespace {

constexpr int kW = 640, kH = 480;
constexpr float kPi = 3.14159265f;

struct Stop {
  float at;
  Colour c;
};

Colour ramp(const std::vector<Stop>& stops, float t) {
  if (t <= stops.front().at) return stops.front().c;
  for (size_t i = 1; i < stops.size(); ++i)
    if (t <= stops[i].at)
      return mix(stops[i - 1].c, stops[i].c,
                 (t - stops[i - 1].at) / (stops[i].at - stops[i - 1].at));
  return stops.back().c;
}

void verticalGradient(Canvas& c, const std::vector<Stop>& stops) {
  for (int y = 0; y < c.height(); ++y) {
    Colour col = ramp(stops, (y + 0.5f) / c.height());
    for (int x = 0; x < c.width(); ++x) c.at(x, y) = col;
  }
}

// Soft cloudy variation so large areas are never a flat ramp.
void addHaze(Canvas& c, float strength, float scale, uint32_t salt, const Colour& tint) {
  for (int y = 0; y < c.height(); ++y) {
    for (int x = 0; x < c.width(); ++x) {
      float n = fractalNoise(x * scale, y * scale, 5, salt);
      c.blend(x, y, tint, clamp01((n - 0.45f) * 2.2f) * strength);
    }
  }
}

// Out-of-focus glowing discs.
void addBokeh(Canvas& c, int count, uint32_t salt, const std::vector<Colour>& colours,
              float maxAlpha, int top = 0, int bottom = kH) {
  Dice dice(salt);
  for (int i = 0; i < count; ++i) {
    float x = dice.range(0, kW), y = dice.range(float(top), float(bottom));
    float r = dice.range(6, 30);
    float a = dice.range(0.25f, 1.0f) * maxAlpha;
    Colour col = colours[dice.next() % colours.size()];
    int x0 = std::max(0, int(x - r - 2)), x1 = std::min(kW - 1, int(x + r + 2));
    int y0 = std::max(0, int(y - r - 2)), y1 = std::min(kH - 1, int(y + r + 2));
    for (int py = y0; py <= y1; ++py) {
      for (int px = x0; px <= x1; ++px) {
        float d = std::hypot(px + 0.5f - x, py + 0.5f - y) / r;
        if (d >= 1.05f) continue;
        float v = (0.55f + 0.45f * smoothstep(0.6f, 0.95f, d)) * clamp01((1.0f - d) * 12);
        c.blend(px, py, col, v * a);
      }
    }
  }
}

void addStars(Canvas& c, int count, uint32_t salt, int bottom) {
  Dice dice(salt);
  for (int i = 0; i < count; ++i) {
    float x = dice.range(0, kW), y = dice.range(0, float(bottom));
    float r = dice.range(0.4f, 1.3f);
    float a = dice.range(0.3f, 1.0f) * (1 - y / bottom * 0.7f);
    c.fillShape([&](float px, float py) { return circleDistance(px, py, x, y, r); },
                Colour{1, 1, 0.95f, a});
  }
}

void softShadow(Canvas& c, const Rect& r, float radius, float opacity, int blur, int dy) {
  // Worked out only round the rectangle: the blur never reaches further than this.
  int margin = blur * 3 + std::abs(dy) + 2;
  int left = std::max(0, r.x - margin), top = std::max(0, r.y - margin);
  int right = std::min(kW, r.x + r.w + margin), bottom = std::min(kH, r.y + r.h + margin);
  int w = right - left, h = bottom - top;
  if (w <= 0 || h <= 0) return;
  std::vector<float> field(size_t(w) * h, 0.0f);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      field[size_t(y) * w + x] =
          clamp01(0.5f - boxDistance(left + x + 0.5f, top + y + 0.5f - dy, r.x + r.w / 2.0f,
                                     r.y + r.h / 2.0f, r.w / 2.0f, r.h / 2.0f, radius));
  field = blurField(field, w, h, blur);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      c.blend(left + x, top + y, Colour{0, 0, 0, opacity}, field[size_t(y) * w + x]);
}

float rectDistance(float x, float y, const Rect& r, float radius, float grow = 0) {
  return boxDistance(x, y, r.x + r.w / 2.0f, r.y + r.h / 2.0f, r.w / 2.0f + grow, r.h / 2.0f + grow,
                     radius + grow);
}

// A translucent rounded panel with a light rim: the ground menus and notices stand on.
void panel(Canvas& c, const Rect& r, const Colour& fill, const Colour& rimColour,
           float radius = 12) {
  softShadow(c, r, radius, 0.5f, 6, 4);
  c.fillShape([&](float x, float y) { return rectDistance(x, y, r, radius, 1.5f); }, rimColour);
  c.fillShape([&](float x, float y) { return rectDistance(x, y, r, radius); },
              [&](float, float y) {
                float t = clamp01((y - r.y) / r.h);
                return mix(scaled(fill, 1.25f), fill, t);
              });
  // Sheen along the top edge.
  c.fillShape(
      [&](float x, float y) {
        return rectDistance(x, y, {r.x + 6, r.y + 3, r.w - 12, 10}, 5);
      },
      [&](float, float y) {
        return Colour{1, 1, 1, 0.10f * clamp01(1 - (y - r.y - 3) / 10)};
      });
}

// Metal bezel round a rectangle.
void bezel(Canvas& c, const Rect& r, float thickness, float radius, const Colour& light,
           const Colour& dark) {
  c.fillShape([&](float x, float y) { return rectDistance(x, y, r, radius, thickness + 1); },
              rgb(8, 8, 16));
  c.fillShape([&](float x, float y) { return rectDistance(x, y, r, radius, thickness); },
              [&](float x, float y) {
                // Lit from the top-left: upper and left faces bright, lower and right dark.
                float fx = (x - r.x) / r.w, fy = (y - r.y) / r.h;
                float t = clamp01(0.5f + (fx + fy - 1) * 0.8f);
                return mix(light, dark, t);
              });
}

// The dark glass well the pieces of one board sit in, with faint column guides on the
// visible cells so the cursor's column is easy to follow.
void boardWell(Canvas& c, const Rect& board, const Colour& glassTop, const Colour& glassBottom,
               const Colour& bezelLight, const Colour& bezelDark) {
  Rect w = geometry::well(board);
  softShadow(c, {w.x - 6, w.y - 6, w.w + 12, w.h + 12}, 10, 0.6f, 8, 6);
  bezel(c, w, 6, 6, bezelLight, bezelDark);
  for (int y = w.y; y < w.y + w.h; ++y) {
    float t = float(y - w.y) / w.h;
    for (int x = w.x; x < w.x + w.w; ++x) {
      Colour col = mix(glassTop, glassBottom, t);
      float n = fractalNoise(x * 0.03f, y * 0.03f, 3, 1200);
      col = scaled(col, 0.9f + 0.2f * n);
      // Inner shadow along the walls.
      float edge = std::min(
          {float(x - w.x), float(w.x + w.w - 1 - x), float(y - w.y), float(w.y + w.h - 1 - y)});
      col = scaled(col, 0.55f + 0.45f * smoothstep(0.0f, 10.0f, edge));
      c.at(x, y) = col;
    }
  }
  // Column guides between visible cells.
  for (int k = 1; k < geometry::kColumns; ++k) {
    int gx = board.x + geometry::kOverhang + k * geometry::kCell;
    for (int y = w.y + 4; y < w.y + w.h - 4; ++y) {
      c.blend(gx - 1, y, Colour{0, 0, 0, 0.22f});
      c.blend(gx, y, Colour{1, 1, 1, 0.05f});
    }
  }
  // A slanted reflection across the glass.
  c.fillShape(
      [&](float x, float y) {
        float d = (x - w.x) * 0.5f + (y - w.y) * 0.25f;
        return std::max(std::fabs(d - 70) - 18, rectDistance(x, y, w, 0));
      },
      Colour{1, 1, 1, 0.035f});
}

// A recessed plate behind a score, right-aligned text ending at the rectangle's edge.
void scorePlate(Canvas& c, const Rect& score, const Colour& top, const Colour& bottom) {
  Rect plate{score.x - 2, score.y - 3, score.w + 6, 27};
  c.fillShape([&](float x, float y) { return rectDistance(x, y, plate, 6, 1.5f); },
              rgb(10, 10, 20, 0.9f));
  c.fillShape([&](float x, float y) { return rectDistance(x, y, plate, 6); },
              [&](float, float y) { return mix(top, bottom, clamp01((y - plate.y) / plate.h)); });
  c.fillShape(
      [&](float x, float y) {
        return rectDistance(x, y, {plate.x + 4, plate.y + 2, plate.w - 8, 6}, 3);
      },
      Colour{1, 1, 1, 0.08f});
}

Typeface& titleFace() {
  static Typeface face(dejavu("DejaVuSans-Bold.ttf"), 86);
  return face;
}
Typeface& headingFace() {
  static Typeface face(dejavu("DejaVuSans-Bold.ttf"), 40);
  return face;
}
Typeface& bodyFace() {
  static Typeface face(dejavu("DejaVuSans.ttf"), 17);
  return face;
}
Typeface& bodyBoldFace() {
  static Typeface face(dejavu("DejaVuSans-Bold.ttf"), 17);
  return face;
}

// The game's name in glossy candy lettering.
void logo(Canvas& c, float cx, int baseline, Typeface& face, float outline) {
  drawGradientLettering(c, face, "Pigmora", cx, baseline, rgb(255, 214, 236), rgb(236, 60, 140),
                        rgb(50, 10, 40), outline, 0.6f, true);
  // Gloss over the upper half of the letters: redraw the top in a lighter ramp, clipped.
  Canvas gloss(c.width(), c.height());
  drawGradientLettering(gloss, face, "Pigmora", cx, baseline, rgb(255, 255, 255, 0.55f),
                        rgb(255, 255, 255, 0.0f), rgb(0, 0, 0, 0), 0.0f, 0.0f, true);
  int glossBottom = baseline - face.ascent() / 3;
  for (int y = 0; y < std::min(glossBottom, c.height()); ++y)
    for (int x = 0; x < c.width(); ++x) c.blend(x, y, gloss.at(x, y), 1.0f);
}

// Pieces scattered as decoration, tilted a little is not possible with blits, so they
// are simply scaled copies of the real piece images.
void scatterPieces(Canvas& c, uint32_t salt, int count, float minSize, float maxSize, float alpha,
                   const std::vector<Rect>& avoid) {
  Dice dice(salt);
  std::vector<Canvas> cache;
  for (int i = 0; i < ColourCount; ++i) cache.push_back(pieceImage(i));
  int placed = 0;
  for (int tries = 0; placed < count && tries < count * 40; ++tries) {
    int size = int(dice.range(minSize, maxSize));
    int x = int(dice.range(-10, float(kW - size + 10))),
        y = int(dice.range(-10, float(kH - size + 10)));
    int colour = int(dice.next() % 8);
    bool clash = false;
    for (const Rect& r : avoid)
      if (x + size > r.x && x < r.x + r.w && y + size > r.y && y < r.y + r.h) clash = true;
    if (clash) continue;
    c.draw(cache[colour].resized(size, size), x, y, alpha);
    ++placed;
  }
}

void addGrain(Canvas& c, float amount, uint32_t salt) {
  for (int y = 0; y < c.height(); ++y) {
    for (int x = 0; x < c.width(); ++x) {
      float n = (hashNoise(x, y, salt) - 0.5f) * amount;
      Colour& p = c.at(x, y);
      p.r = clamp01(p.r + n);
      p.g = clamp01(p.g + n);
      p.b = clamp01(p.b + n);
    }
  }
}

// --- the pictures ---------------------------------------------------------------

Canvas duskSky() {
  Canvas c(kW, kH);
  verticalGradient(c, {{0.0f, rgb(18, 14, 52)},
                       {0.45f, rgb(52, 30, 96)},
                       {0.8f, rgb(150, 62, 110)},
                       {1.0f, rgb(238, 128, 96)}});
  addHaze(c, 0.35f, 0.006f, 41, rgb(120, 70, 170));
  addStars(c, 160, 42, 300);
  addBokeh(c, 26, 43, {rgb(255, 170, 210), rgb(160, 200, 255), rgb(255, 220, 150)}, 0.16f);
  // Rolling hills along the bottom.
  for (int layer = 0; layer < 3; ++layer) {
    Colour hill = mix(rgb(60, 28, 80), rgb(24, 12, 40), layer / 2.0f);
    float base = 380 + layer * 35;
    c.fillShape(
        [&](float x, float y) {
          float top = base - 28 * std::sin(x * (0.010f + layer * 0.004f) + layer * 1.7f) -
                      14 * std::sin(x * 0.031f + layer);
          return top - y;
        },
        hill);
  }
  return c;
}

Canvas onePlayerBackground() {
  Canvas c = duskSky();
  // Clock corner: the elapsed time and level are written at the very top-left; the
  // panel leaves them room to the right and below.
  panel(c, {-20, -20, 176, 98}, rgb(20, 16, 46, 0.72f), rgb(255, 190, 230, 0.35f), 14);
  Rect board = geometry::kBoard1p;
  Rect w = geometry::well(board);
  // One frame holds the score strip and the well.
  Rect frame{w.x - 4, 2, w.w + 8, w.y + w.h + 4 - 2};
  softShadow(c, frame, 10, 0.6f, 8, 6);
  bezel(c, frame, 5, 8, rgb(250, 200, 230), rgb(90, 40, 90));
  c.fillShape([&](float x, float y) { return rectDistance(x, y, frame, 8); }, rgb(34, 18, 50));
  scorePlate(c, geometry::kScore1p, rgb(60, 30, 80), rgb(26, 12, 40));
  boardWell(c, board, rgb(22, 18, 52), rgb(12, 10, 30), rgb(200, 160, 220), rgb(60, 30, 80));
  // Decoration on the open sides.
  scatterPieces(c, 51, 9, 22, 40, 0.55f, {{150, 0, 310, 480}, {-30, -30, 180, 100}});
  addGrain(c, 0.018f, 52);
  return c;
}

Canvas oceanBackground() {
  Canvas c(kW, kH);
  verticalGradient(c, {{0.0f, rgb(40, 150, 200)},
                       {0.3f, rgb(18, 90, 150)},
                       {0.75f, rgb(8, 40, 90)},
                       {1.0f, rgb(6, 22, 54)}});
  addHaze(c, 0.25f, 0.01f, 61, rgb(60, 190, 210));
  // Light shafts from the surface.
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      float u = x + y * 0.35f;
      float shaft =
          std::pow(std::max(0.0f, std::sin(u * 0.021f) * std::sin(u * 0.0073f + 1.3f)), 3.0f);
      c.blend(x, y, rgb(200, 250, 255), shaft * 0.22f * (1 - float(y) / kH));
    }
  }
  // Sand and weed at the bottom.
  c.fillShape(
      [&](float x, float y) {
        return (452 - 8 * std::sin(x * 0.02f) - 4 * std::sin(x * 0.07f)) - y;
      },
      [&](float x, float y) {
        return scaled(rgb(150, 128, 90), 0.7f + 0.4f * fractalNoise(x * 0.2f, y * 0.2f, 3, 62));
      });
  Dice dice(63);
  // No weed grows under the power-up banks, where their labels are.
  const float bareFrom = geometry::kBanks2p[0].x - 14.0f,
              bareTo = geometry::kBanks2p[1].x + geometry::kBanks2p[1].w + 14.0f;
  for (int i = 0; i < 22; ++i) {
    float bx = dice.range(0, kW), height = dice.range(40, 120), sway = dice.range(0, 6.28f);
    Colour weed = mix(rgb(20, 90, 60), rgb(40, 130, 70), dice.unit());
    if (bx > bareFrom && bx < bareTo) continue;
    c.fillShape(
        [&](float x, float y) {
          if (y > 470 || y < 470 - height) return 10.0f;
          float t = (470 - y) / height;
          float cx = bx + 8 * std::sin(t * 3 + sway) * t;
          return std::fabs(x - cx) - 3.2f * (1 - t) - 0.4f;
        },
        weed);
  }
  addBokeh(c, 40, 64, {rgb(210, 250, 255)}, 0.12f);
  // Bubbles: thin rings with a highlight.
  for (int i = 0; i < 45; ++i) {
    float bx = dice.range(0, kW), by = dice.range(0, kH), r = dice.range(2, 7);
    c.fillShape([&](float x, float y) { return std::fabs(circleDistance(x, y, bx, by, r)) - 0.6f; },
                rgb(220, 250, 255, 0.45f));
    c.fillShape(
        [&](float x, float y) {
          return circleDistance(x, y, bx - r * 0.4f, by - r * 0.4f, r * 0.25f);
        },
        rgb(255, 255, 255, 0.6f));
  }
  for (int p = 0; p < 2; ++p) {
    Rect board = geometry::kBoards2p[p];
    Rect w = geometry::well(board);
    Rect frame{w.x - 4, 3, w.w + 8, w.y + w.h + 4 - 3};
    softShadow(c, frame, 10, 0.55f, 8, 6);
    bezel(c, frame, 5, 8, rgb(190, 240, 250), rgb(20, 60, 100));
    c.fillShape([&](float x, float y) { return rectDistance(x, y, frame, 8); }, rgb(10, 36, 64));
    scorePlate(c, geometry::kScores2p[p], rgb(20, 70, 110), rgb(8, 30, 60));
    boardWell(c, board, rgb(10, 34, 70), rgb(6, 16, 40), rgb(160, 220, 240), rgb(20, 60, 100));
  }
  // The power-up banks: two narrow wells between the boards, filled from the bottom.
  for (int p = 0; p < 2; ++p) {
    Rect bank = geometry::kBanks2p[p];
    softShadow(c, {bank.x - 4, bank.y - 4, bank.w + 8, bank.h + 8}, 6, 0.5f, 6, 5);
    bezel(c, bank, 4, 4, rgb(255, 230, 160), rgb(120, 70, 20));
    for (int y = bank.y; y < bank.y + bank.h; ++y) {
      for (int x = bank.x; x < bank.x + bank.w; ++x) {
        float t = float(y - bank.y) / bank.h;
        Colour col = mix(rgb(30, 20, 50), rgb(12, 8, 28), t);
        float edge = std::min({float(x - bank.x), float(bank.x + bank.w - 1 - x), float(y - bank.y),
                               float(bank.y + bank.h - 1 - y)});
        c.at(x, y) = scaled(col, 0.6f + 0.4f * smoothstep(0.0f, 6.0f, edge));
      }
    }
    // Slot marks every cell height from the bottom up.
    for (int k = 1; k < 12; ++k) {
      int y = bank.y + bank.h - k * geometry::kCell;
      for (int x = bank.x + 3; x < bank.x + bank.w - 3; ++x)
        c.blend(x, y, rgb(255, 220, 140, 0.16f));
    }
  }
  // "POWER" under each bank, on a plate of its own, small enough that the two stand
  // well apart.
  static Typeface small(dejavu("DejaVuSans-Bold.ttf"), 9);
  for (int p = 0; p < 2; ++p) {
    Rect bank = geometry::kBanks2p[p];
    panel(c, {bank.x - 5, bank.y + bank.h + 8, bank.w + 10, 17}, rgb(40, 22, 10, 0.85f),
          rgb(255, 230, 160, 0.6f), 5);
    drawLettering(c, small, "POWER", bank.x + bank.w / 2.0f, bank.y + bank.h + 20,
                  rgb(255, 226, 150), rgb(40, 20, 0), 1.0f, 0.4f);
  }
  addGrain(c, 0.018f, 65);
  return c;
}

// The common look of the menu screens: night sky, logo and a panel for the lines.
Canvas menuSky(uint32_t salt) {
  Canvas c(kW, kH);
  verticalGradient(c,
                   {{0.0f, rgb(12, 10, 40)}, {0.55f, rgb(44, 24, 86)}, {1.0f, rgb(104, 36, 96)}});
  addHaze(c, 0.4f, 0.007f, salt, rgb(110, 60, 180));
  addStars(c, 140, salt + 1, 480);
  addBokeh(c, 30, salt + 2, {rgb(255, 150, 200), rgb(140, 200, 255), rgb(255, 230, 150)}, 0.14f);
  return c;
}

Canvas menuBackground() {
  Canvas c = menuSky(80);
  scatterPieces(c, 81, 16, 24, 46, 0.85f, {{120, 20, 400, 360}});
  logo(c, kW / 2.0f, 118, titleFace(), 4.5f);
  // The main menu starts at (200, 200), About at (150, 150); the cursor stands left of
  // the lines.
  panel(c, geometry::kMenuPanel, rgb(18, 12, 44, 0.72f), rgb(255, 180, 220, 0.45f));
  addGrain(c, 0.018f, 82);
  return c;
}

Canvas titlePicture() {
  Canvas c = menuSky(90);
  // A burst of light behind the name.
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      float dx = x - kW / 2.0f, dy = y - 210.0f;
      float angle = std::atan2(dy, dx), r = std::hypot(dx, dy);
      float rays = std::pow(std::max(0.0f, std::cos(angle * 12)), 6.0f);
      float fall = std::exp(-r / 260);
      c.blend(x, y, rgb(255, 200, 230), (rays * 0.14f + 0.22f * std::exp(-r / 120)) * fall);
    }
  }
  scatterPieces(c, 91, 22, 28, 58, 0.95f, {{80, 120, 480, 200}});
  Typeface big(dejavu("DejaVuSans-Bold.ttf"), 118);
  logo(c, kW / 2.0f, 250, big, 6.0f);
  drawLettering(c, bodyBoldFace(), "Mix the colours. Start the chains.", kW / 2.0f, 300,
                rgb(255, 236, 250), rgb(40, 10, 40), 2.0f, 0.6f);
  addGrain(c, 0.018f, 92);
  return c;
}

// A sign for an options screen: a line drawing of its subject.
void screenIcon(Canvas& c, const std::string& kind, float cx, float cy) {
  Colour ink = rgb(255, 220, 240), edge = rgb(40, 10, 40);
  auto stroke = [&](const std::function<float(float, float)>& d) {
    c.fillShape([&](float x, float y) { return d(x, y) - 1.6f; }, edge);
    c.fillShape(d, ink);
  };
  if (kind == "Video") {
    stroke([&](float x, float y) {
      return std::fabs(boxDistance(x, y, cx, cy - 6, 30, 21, 4)) - 2.2f;
    });
    stroke([&](float x, float y) { return boxDistance(x, y, cx, cy + 22, 12, 2.4f, 1.5f); });
    stroke([&](float x, float y) { return boxDistance(x, y, cx, cy + 17, 3, 4, 0.5f); });
  } else {
    stroke([&](float x, float y) { return boxDistance(x, y, cx - 20, cy, 7, 9, 2); });
    stroke([&](float x, float y) {
      return polygonDistance(x, y,
                             {{cx - 14, cy - 9}, {cx, cy - 22}, {cx, cy + 22}, {cx - 14, cy + 9}});
    });
    for (int k = 1; k <= 3; ++k) {
      float r = 8.0f + k * 8;
      stroke([&, r](float x, float y) {
        float ring = std::fabs(circleDistance(x, y, cx, cy, r)) - 1.6f;
        float angle = std::atan2(y - cy, x - cx);
        return std::max(ring, (std::fabs(angle) - 0.75f) * r);
      });
    }
  }
}

Canvas optionScreen(const std::string& title, int lines, uint32_t salt) {
  Canvas c = menuSky(salt);
  scatterPieces(c, salt + 5, 10, 22, 40, 0.6f, {{60, 20, 520, 440}});
  drawLettering(c, headingFace(), title, 360, 130, rgb(255, 240, 250), rgb(60, 10, 50), 3.0f, 0.6f);
  screenIcon(c, title, 232, 112);
  // Lines from (200, 200), one glyph height apart.
  panel(c, {170, 186, 320, lines * geometry::kLineHeight + 28}, rgb(18, 12, 44, 0.72f),
        rgb(255, 180, 220, 0.45f));
  addGrain(c, 0.018f, salt + 6);
  return c;
}

Canvas controlsScreen() {
  Canvas c = menuSky(110);
  drawLettering(c, bodyBoldFace(), "CONTROLS", kW / 2.0f, 30, rgb(255, 240, 250), rgb(60, 10, 50),
                2.0f, 0.6f);
  // Sixteen lines from (104, 50); bound inputs are written from x = 304.
  Rect list{66, 42, 556, 16 * geometry::kLineHeight + 16};
  panel(c, list, rgb(18, 12, 44, 0.78f), rgb(255, 180, 220, 0.45f));
  for (int line = 0; line < 16; ++line) {
    int y = 50 + line * geometry::kLineHeight;
    // Player one, player two and the shared commands each get their own band colour.
    Colour band = line < 6    ? rgb(255, 120, 160)
                  : line < 12 ? rgb(120, 190, 255)
                              : rgb(255, 230, 150);
    float alpha = line % 2 == 0 ? 0.10f : 0.05f;
    if (line >= 14) alpha = 0.0f;
    c.fillShape(
        [&](float x, float py) {
          return rectDistance(x, py, {list.x + 8, y, list.w - 16, geometry::kLineHeight}, 4);
        },
        Colour{band.r, band.g, band.b, alpha});
  }
  for (int y = list.y + 8; y < 50 + 14 * geometry::kLineHeight; ++y)
    c.blend(296, y, rgb(255, 200, 230, 0.25f));
  addGrain(c, 0.018f, 111);
  return c;
}

// The notice shown while the game loads.
Canvas warningPicture() {
  Canvas c(kW, kH);
  verticalGradient(c, {{0.0f, rgb(14, 14, 30)}, {1.0f, rgb(34, 20, 48)}});
  addHaze(c, 0.25f, 0.008f, 120, rgb(70, 40, 100));
  panel(c, {50, 40, 540, 400}, rgb(22, 18, 44, 0.85f), rgb(255, 200, 120, 0.5f));
  // Caution sign.
  float cx = 320, cy = 100;
  c.fillShape(
      [&](float x, float y) {
        return polygonDistance(x, y, {{cx, cy - 34}, {cx + 38, cy + 30}, {cx - 38, cy + 30}}) - 5;
      },
      rgb(40, 20, 0));
  c.fillShape(
      [&](float x, float y) {
        return polygonDistance(x, y, {{cx, cy - 34}, {cx + 38, cy + 30}, {cx - 38, cy + 30}}) -
               2.5f;
      },
      [&](float, float y) {
        return mix(rgb(255, 228, 90), rgb(240, 150, 20), clamp01((y - cy + 34) / 64));
      });
  c.fillShape([&](float x, float y) { return boxDistance(x, y, cx, cy - 2, 4, 14, 3); },
              rgb(40, 20, 0));
  c.fillShape([&](float x, float y) { return circleDistance(x, y, cx, cy + 20, 4.5f); },
              rgb(40, 20, 0));
  drawLettering(c, headingFace(), "HEALTH WARNING", cx, 184, rgb(255, 226, 120), rgb(50, 20, 0),
                2.5f, 0.6f);
  const char* lines[] = {
      "A very small number of people may have a seizure",
      "when they see flashing lights or quickly changing",
      "patterns, including those in video games. This can",
      "happen even to people with no history of epilepsy.",
      "",
      "Play in a well-lit room, sit well back from the",
      "screen and rest for a few minutes every hour.",
      "",
      "Stop playing at once if you feel dizzy or unwell, or",
      "notice twitching or blurred vision, and see a doctor.",
  };
  int y = 226;
  for (const char* line : lines) {
    if (*line)
      drawLettering(c, bodyFace(), line, cx, y, rgb(236, 232, 246), rgb(10, 8, 20), 1.2f, 0.0f);
    y += *line ? 22 : 12;
  }
  addGrain(c, 0.012f, 121);
  return c;
}

}  // namespace

void makeBackgrounds(Output& out) {
  out.png("Backgrounds", "Backgrounds/Warning.png", warningPicture(), Storage::Opaque);
  out.jpeg("Backgrounds", "Backgrounds/title.jpg", titlePicture());
  out.jpeg("Backgrounds", "Backgrounds/menu.jpg", menuBackground());
  out.jpeg("Backgrounds", "Backgrounds/Video.jpg", optionScreen("Video", 3, 100));
  out.jpeg("Backgrounds", "Backgrounds/Sound.jpg", optionScreen("Sound", 5, 105));
  out.jpeg("Backgrounds", "Backgrounds/Controls.jpg", controlsScreen());
  out.jpeg("Backgrounds", "Backgrounds/1p.jpg", onePlayerBackground());
  out.jpeg("Backgrounds", "Backgrounds/ocean2p.jpg", oceanBackground());
}
