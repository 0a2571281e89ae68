#include <cmath>
#include <cstdio>

#include "Output.h"
#include "Type.h"

// One white glyph per character code with a dark outline and drop shadow, so text reads
// over pieces and pictures alike. The game tints glyphs by multiplying the channels,
// which colours the white body and leaves the dark edge dark. Every glyph has the same
// height (glyph 0's height is the line height) and glyphs are placed edge to edge, so
// each image carries its own spacing.
namespace {

constexpr int kHeight = 24;
constexpr int kBaseline = 18;
constexpr float kPen = 1.0f;

// The dark edge must hide whatever lies under the text: a red letter over red pieces
// reads only by its outline. So the outline is two pixels wide and solid but for its
// outer rim, and a softer shadow below and to the right widens it further.
constexpr float kOutline = 2.0f;
constexpr float kOutlineFirmness = 2.5f;  // the dilated edge's cover is scaled up by this
constexpr float kShadowReach = 2.4f;

Canvas glyphImage(const Mask& body, int width) {
  Mask ring = dilate(body, kOutline);
  for (float& cover : ring.cover) cover = clamp01(cover * kOutlineFirmness);
  Mask shadow = dilate(body, kShadowReach);
  Canvas c(width, kHeight);
  // Shadow down-right, then the outline, then the white face.
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < width; ++x) c.blend(x, y, Colour{0, 0, 0, 0.7f}, shadow.at(x - 1, y - 1));
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < width; ++x) c.blend(x, y, rgb(10, 10, 20), ring.at(x, y));
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < width; ++x) c.blend(x, y, rgb(255, 255, 255), body.at(x, y));
  return c;
}

Mask emptyMask(int width) {
  Mask m;
  m.w = width;
  m.h = kHeight;
  m.cover.assign(size_t(width) * kHeight, 0.0f);
  return m;
}

// The fallback shown for any code without a picture: a hollow box, as fonts do.
Canvas missingGlyph() {
  const int width = 13;
  Mask m = emptyMask(width);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < width; ++x) {
      float px = x + 0.5f, py = y + 0.5f;
      float outer = boxDistance(px, py, 6.5f, 11.0f, 4.5f, 6.5f, 0.5f);
      float inner = boxDistance(px, py, 6.5f, 11.0f, 3.0f, 5.0f, 0.5f);
      m.cover[size_t(y) * width + x] = clamp01(0.5f - std::max(outer, -inner));
    }
  }
  return glyphImage(m, width);
}

}  // namespace

void makeFont(Output& out) {
  Typeface face(dejavu("DejaVuSans-Bold.ttf"), 17);
  out.png("Font", "Font/0.png", missingGlyph(), Storage::Alpha);
  for (int code = 0x20; code <= 0xff; ++code) {
    if (code >= 0x7f && code < 0xa0) continue;  // control codes: shown as glyph 0
    char32_t character = char32_t(code);        // Latin-1 maps straight onto Unicode
    int width = int(std::ceil(face.advance(character) + 1));
    Mask body = emptyMask(width);
    face.render(body, std::u32string(1, character), kPen, kBaseline);
    char name[32];
    std::snprintf(name, sizeof name, "Font/%x.png", code);
    out.png("Font", name, glyphImage(body, width), Storage::Alpha);
  }
}
