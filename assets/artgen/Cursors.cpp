#include <algorithm>
#include <cmath>

#include "Output.h"
#include "Palette.h"

// The player's cursor is drawn at its column's left edge, standing on the bottom of the
// board; the visible cell it points at starts 4 pixels in (the piece overhang), so every
// cursor image is 40 wide with its pointer centred on x = 20 and the bottom cell's
// frame at y 16..48.
namespace {

constexpr int kWidth = 40, kHeight = 48;
constexpr float kMid = 20.0f;
const KeyColour kCyan{0, 255, 255};

float segmentDistance(float px, float py, float ax, float ay, float bx, float by) {
  float ex = bx - ax, ey = by - ay;
  float t = clamp01(((px - ax) * ex + (py - ay) * ey) / (ex * ex + ey * ey));
  return std::hypot(px - ax - ex * t, py - ay - ey * t);
}

Colour metal(float y, float top, float bottom) {
  float t = clamp01((y - top) / (bottom - top));
  return mix(rgb(250, 252, 255), rgb(120, 132, 160), t);
}

Canvas cursorBack() {
  Canvas c(kWidth, kHeight);
  // Corner brackets round the cell, with a dark edge so they read on light pieces.
  const float l = 3.5f, r = 36.5f, t = 15.5f, b = 46.5f, arm = 8.0f;
  auto brackets = [&](float x, float y, float grow) {
    float d = 1e9f;
    d = std::min(d, segmentDistance(x, y, l, t, l + arm, t));
    d = std::min(d, segmentDistance(x, y, l, t, l, t + arm));
    d = std::min(d, segmentDistance(x, y, r, t, r - arm, t));
    d = std::min(d, segmentDistance(x, y, r, t, r, t + arm));
    d = std::min(d, segmentDistance(x, y, l, b, l + arm, b));
    d = std::min(d, segmentDistance(x, y, l, b, l, b - arm));
    d = std::min(d, segmentDistance(x, y, r, b, r - arm, b));
    d = std::min(d, segmentDistance(x, y, r, b, r, b - arm));
    return d - grow;
  };
  c.fillShape([&](float x, float y) { return brackets(x, y, 2.6f); }, rgb(16, 20, 40));
  c.fillShape([&](float x, float y) { return brackets(x, y, 1.3f); },
              [&](float, float y) {
                return mix(rgb(255, 255, 255), rgb(150, 205, 255), clamp01((y - 14) / 34));
              });
  return c;
}

void drawHolder(Canvas& c) {
  // Up-pointing tip over the socket, and a base bar along the board's edge.
  c.fillShape(
      [&](float x, float y) {
        float tip =
            polygonDistance(x, y, {{kMid, 21.5f}, {kMid + 6.5f, 29.5f}, {kMid - 6.5f, 29.5f}});
        float bar = boxDistance(x, y, kMid, 44.0f, 16.0f, 3.6f, 2.5f);
        float socket = circleDistance(x, y, kMid, 36.5f, 10.0f);
        return std::min({tip, bar, socket}) - 1.3f;
      },
      rgb(14, 18, 34));
  c.fillShape(
      [&](float x, float y) {
        float tip =
            polygonDistance(x, y, {{kMid, 21.5f}, {kMid + 6.5f, 29.5f}, {kMid - 6.5f, 29.5f}});
        float bar = boxDistance(x, y, kMid, 44.0f, 16.0f, 3.6f, 2.5f);
        float socket = circleDistance(x, y, kMid, 36.5f, 10.0f);
        return std::min({tip, bar, socket});
      },
      [&](float, float y) { return metal(y, 21, 48); });
}

Canvas cursorFront(int colour) {
  Canvas c(kWidth, kHeight);
  drawHolder(c);
  if (colour < 0) {
    // Empty socket: a dark hollow.
    c.fillShape([&](float x, float y) { return circleDistance(x, y, kMid, 36.5f, 7.5f); },
                [&](float x, float y) {
                  float t = clamp01((std::hypot(x - kMid - 1.5f, y - 38)) / 8);
                  return mix(rgb(8, 10, 22), rgb(50, 58, 86), t);
                });
    return c;
  }
  Colour base = pieceBase(colour);
  bool stone = colour == Grey;
  c.fillShape([&](float x, float y) { return circleDistance(x, y, kMid, 36.5f, 8.0f); },
              [&](float x, float y) {
                float dx = (x - kMid) / 8, dy = (y - 36.5f) / 8;
                float z = std::sqrt(std::max(0.0f, 1 - dx * dx - dy * dy));
                float diffuse = std::max(0.0f, -0.45f * dx - 0.6f * dy + 0.66f * z);
                Colour out = scaled(base, 0.35f + 0.85f * diffuse);
                if (stone) {
                  out = scaled(out, 0.85f + 0.3f * fractalNoise(x * 0.4f, y * 0.4f, 3, 5));
                } else {
                  float specular =
                      std::pow(std::max(0.0f, -0.25f * dx - 0.35f * dy + 0.9f * z), 30.0f);
                  out = mix(out, rgb(255, 255, 255), clamp01(specular));
                }
                if (colour == Black)
                  out = mix(out, rgb(180, 190, 225), smoothstep(0.78f, 1.0f, std::hypot(dx, dy)));
                out.a = 1;
                return out;
              });
  return c;
}

Canvas menuCursor() {
  Canvas c(30, 24);
  auto arrow = [](float x, float y) {
    return polygonDistance(x, y,
                           {{4, 5}, {16, 5}, {16, 1.5f}, {27, 12}, {16, 22.5f}, {16, 19}, {4, 19}});
  };
  Canvas shadow(30, 24);
  shadow.fillShape([&](float x, float y) { return arrow(x - 1.5f, y - 1.5f) - 0.5f; },
                   Colour{0, 0, 0, 0.5f});
  c.draw(shadow, 0, 0);
  c.fillShape([&](float x, float y) { return arrow(x, y) - 1.2f; }, rgb(60, 20, 0));
  c.fillShape(arrow, [](float, float y) {
    Colour top = rgb(255, 246, 170), bottom = rgb(236, 120, 10);
    Colour out = mix(top, bottom, clamp01((y - 2) / 20));
    if (y < 11.5f) out = mix(out, rgb(255, 255, 255), 0.25f * (11.5f - y) / 10);
    return out;
  });
  return c;
}

Canvas windowIcon() {
  Canvas c(32, 32);
  const int colours[4] = {Red, Yellow, Blue, Green};
  for (int i = 0; i < 4; ++i) {
    Canvas small = pieceImage(colours[i]).resized(18, 18);
    c.draw(small, (i % 2) * 15 - 1, (i / 2) * 15 - 1);
  }
  return c;
}

}  // namespace

void makeCursors(Output& out) {
  out.png("Cursors", "Sprites/cursor1.png", cursorBack(), Storage::Keyed, kCyan);
  out.png("Cursors", "Sprites/cursor.front.empty.png", cursorFront(-1), Storage::Keyed, kCyan);
  for (int colour = 0; colour < ColourCount; ++colour)
    out.png("Cursors", std::string("Sprites/cursor.") + colourName(colour) + ".png",
            cursorFront(colour), Storage::Keyed, kCyan);
  out.png("Cursors", "Sprites/menucursor.png", menuCursor(), Storage::Alpha);
  out.png("Cursors", "Sprites/icon.png", windowIcon(), Storage::Alpha);
}
