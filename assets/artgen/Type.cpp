#include "Type.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <stdexcept>

struct Typeface::Impl {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
};

std::string dejavu(const char* name) {
  return std::string(PIGMORA_DEJAVU_DIR "/") + name;
}

std::u32string utf32(const std::string& utf8) {
  std::u32string out;
  for (size_t i = 0; i < utf8.size();) {
    unsigned char c = utf8[i];
    int extra = c >= 0xf0 ? 3 : c >= 0xe0 ? 2 : c >= 0xc0 ? 1 : 0;
    char32_t code = extra == 0 ? c : c & (0x3f >> extra);
    for (int k = 1; k <= extra && i + k < utf8.size(); ++k)
      code = (code << 6) | (utf8[i + k] & 0x3f);
    out.push_back(code);
    i += extra + 1;
  }
  return out;
}

Typeface::Typeface(const std::string& file, int pixelSize) : impl(new Impl) {
  if (FT_Init_FreeType(&impl->library) != 0) throw std::runtime_error("FreeType failed to start");
  if (FT_New_Face(impl->library, file.c_str(), 0, &impl->face) != 0)
    throw std::runtime_error("cannot read the font " + file);
  FT_Set_Pixel_Sizes(impl->face, 0, pixelSize);
}

Typeface::~Typeface() {
  FT_Done_Face(impl->face);
  FT_Done_FreeType(impl->library);
  delete impl;
}

int Typeface::ascent() const {
  return int(std::ceil(impl->face->size->metrics.ascender / 64.0));
}
int Typeface::descent() const {
  return int(std::ceil(-impl->face->size->metrics.descender / 64.0));
}

bool Typeface::has(char32_t code) const {
  return FT_Get_Char_Index(impl->face, code) != 0;
}

float Typeface::advance(char32_t code) const {
  if (FT_Load_Char(impl->face, code, FT_LOAD_DEFAULT) != 0) return 0;
  return impl->face->glyph->advance.x / 64.0f;
}

float Typeface::width(const std::u32string& text) const {
  float total = 0;
  for (char32_t c : text) total += advance(c);
  return total;
}

void Typeface::render(Mask& mask, const std::u32string& text, float penX, int baseline) const {
  for (char32_t code : text) {
    // Sub-pixel pen positions keep spacing even at small sizes.
    FT_Vector shift{FT_Pos(std::lround((penX - std::floor(penX)) * 64)), 0};
    FT_Set_Transform(impl->face, nullptr, &shift);
    if (FT_Load_Char(impl->face, code, FT_LOAD_RENDER) != 0) continue;
    FT_GlyphSlot g = impl->face->glyph;
    int ox = int(std::floor(penX)) + g->bitmap_left;
    int oy = baseline - g->bitmap_top;
    for (unsigned y = 0; y < g->bitmap.rows; ++y) {
      for (unsigned x = 0; x < g->bitmap.width; ++x) {
        int mx = ox + int(x), my = oy + int(y);
        if (mx < 0 || my < 0 || mx >= mask.w || my >= mask.h) continue;
        float v = g->bitmap.buffer[y * g->bitmap.pitch + x] / 255.0f;
        float& d = mask.cover[size_t(my) * mask.w + mx];
        d = std::max(d, v);
      }
    }
    penX += g->advance.x / 64.0f;
  }
  FT_Set_Transform(impl->face, nullptr, nullptr);
}

Mask Typeface::line(const std::u32string& text, int margin) const {
  Mask m;
  m.w = int(std::ceil(width(text))) + 2 * margin + 2;
  m.h = ascent() + descent() + 2 * margin;
  m.cover.assign(size_t(m.w) * m.h, 0.0f);
  render(m, text, float(margin), margin + ascent());
  return m;
}

Mask dilate(const Mask& mask, float radius) {
  Mask out = mask;
  int r = int(std::ceil(radius));
  for (int y = 0; y < mask.h; ++y) {
    for (int x = 0; x < mask.w; ++x) {
      float best = 0;
      for (int j = -r; j <= r; ++j) {
        for (int i = -r; i <= r; ++i) {
          float d = std::hypot(float(i), float(j));
          float weight = clamp01(radius + 0.5f - d);
          if (weight > 0) best = std::max(best, mask.at(x + i, y + j) * weight);
        }
      }
      out.cover[size_t(y) * mask.w + x] = best;
    }
  }
  return out;
}

Mask padded(const Mask& mask, int pad) {
  Mask out;
  out.w = mask.w + 2 * pad;
  out.h = mask.h + 2 * pad;
  out.cover.assign(size_t(out.w) * out.h, 0.0f);
  for (int y = 0; y < mask.h; ++y)
    for (int x = 0; x < mask.w; ++x) out.cover[size_t(y + pad) * out.w + x + pad] = mask.at(x, y);
  return out;
}

void drawGradientLettering(Canvas& canvas, const Typeface& face, const std::string& text, float x,
                           int baseline, const Colour& top, const Colour& bottom,
                           const Colour& outline, float outlineWidth, float shadowOpacity,
                           bool centred) {
  std::u32string codes = utf32(text);
  int pad = int(std::ceil(outlineWidth)) + 6;
  Mask body = face.line(codes, pad);
  Mask ring = dilate(body, outlineWidth);
  int left = int(std::lround(centred ? x - body.w / 2.0f : x - pad));
  int topY = baseline - face.ascent() - pad;
  if (shadowOpacity > 0) {
    std::vector<float> soft = blurField(ring.cover, ring.w, ring.h, 2);
    canvas.drawMask(soft, ring.w, ring.h, left + 2, topY + 3, Colour{0, 0, 0, shadowOpacity});
  }
  canvas.drawMask(ring.cover, ring.w, ring.h, left, topY, outline);
  float capTop = float(pad), capBottom = float(pad + face.ascent());
  for (int j = 0; j < body.h; ++j) {
    Colour c = mix(top, bottom, smoothstep(capTop, capBottom, float(j)));
    for (int i = 0; i < body.w; ++i) canvas.blend(left + i, topY + j, c, body.at(i, j));
  }
}

void drawLettering(Canvas& canvas, const Typeface& face, const std::string& text, float cx,
                   int baseline, const Colour& fill, const Colour& outline, float outlineWidth,
                   float shadowOpacity) {
  drawGradientLettering(canvas, face, text, cx, baseline, fill, fill, outline, outlineWidth,
                        shadowOpacity, true);
}
