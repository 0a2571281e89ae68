#include <algorithm>
#include <cmath>
#include <memory>

#include "Output.h"
#include "Palette.h"
#include "Type.h"

// A piece image is 4 pixels larger than its 32 x 32 cell; the extra reaches up and
// left, so the body sits 1.5 pixels up-left of the cell's centre and neighbours drawn
// later (above and to the left) tuck over its edge like overlapping tiles.
namespace {

constexpr int kSize = 36;
constexpr float kCentre = 18.5f;
constexpr float kHalf = 15.75f;

struct Light {
  float x = -0.42f, y = -0.62f, z = 0.66f;
};

// Each true colour carries its own sign so it can be told apart without hue.
char32_t symbolOf(int colour) {
  switch (colour) {
    case White:
      return U'\u2744';  // snowflake
    case Red:
      return U'\u2665';  // heart
    case Yellow:
      return U'\u2605';  // star
    case Orange:
      return U'\u25B2';  // triangle
    case Blue:
      return U'\u2666';  // diamond
    case Purple:
      return U'\u263E';  // crescent
    case Green:
      return U'\u2663';  // clover
    case Black:
      return U'\u2716';  // cross
    default:
      return 0;
  }
}

// The sign as a mask the size of the piece image, centred on the body.
Mask symbolMask(int colour) {
  Mask m;
  m.w = m.h = kSize;
  m.cover.assign(kSize * kSize, 0.0f);
  char32_t code = symbolOf(colour);
  if (!code) return m;
  static Typeface face(dejavu("DejaVuSans-Bold.ttf"), 21);
  Mask glyph = face.line(std::u32string(1, code), 2);
  int minX = glyph.w, minY = glyph.h, maxX = -1, maxY = -1;
  for (int y = 0; y < glyph.h; ++y) {
    for (int x = 0; x < glyph.w; ++x) {
      if (glyph.at(x, y) > 0.02f) {
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
      }
    }
  }
  // Signs are fitted to the same box so none looks heavier than another.
  float bw = float(maxX - minX + 1), bh = float(maxY - minY + 1);
  float scale = std::min(17.0f / bw, 17.0f / bh);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      float sum = 0;
      for (int sy = 0; sy < 3; ++sy) {
        for (int sx = 0; sx < 3; ++sx) {
          float px = x + (sx + 0.5f) / 3 - kCentre, py = y + (sy + 0.5f) / 3 - (kCentre + 0.5f);
          float gx = px / scale + (minX + maxX + 1) / 2.0f,
                gy = py / scale + (minY + maxY + 1) / 2.0f;
          int ix = int(std::floor(gx - 0.5f)), iy = int(std::floor(gy - 0.5f));
          float fx = gx - 0.5f - ix, fy = gy - 0.5f - iy;
          float v = glyph.at(ix, iy) * (1 - fx) * (1 - fy) + glyph.at(ix + 1, iy) * fx * (1 - fy) +
                    glyph.at(ix, iy + 1) * (1 - fx) * fy + glyph.at(ix + 1, iy + 1) * fx * fy;
          sum += v;
        }
      }
      m.cover[size_t(y) * kSize + x] = clamp01(sum / 9);
    }
  }
  return m;
}

// Height of the pillow-shaped body at a point: rises over the bevel, flat on top.
float pillow(float x, float y, float bevel, float corner) {
  float inside = -boxDistance(x, y, kCentre, kCentre, kHalf, kHalf, corner);
  if (inside <= 0) return 0;
  float t = std::min(inside / bevel, 1.0f);
  return std::sqrt(1 - (1 - t) * (1 - t));
}

Canvas glossyPiece(int colour) {
  Canvas c(kSize, kSize);
  Colour base = pieceBase(colour);
  bool black = colour == Black;
  const float corner = 9.0f, bevel = 7.5f;

  // Rim: dark for the colours, pale for black so it stands out on dark wells.
  Colour rim = black ? rgb(178, 190, 222) : scaled(base, 0.32f);
  rim.a = 0.95f;
  c.fillShape(
      [&](float x, float y) {
        return boxDistance(x, y, kCentre, kCentre, kHalf + 1.1f, kHalf + 1.1f, corner + 1);
      },
      rim);

  Mask sign = symbolMask(colour);
  std::vector<float> raised = blurField(sign.cover, kSize, kSize, 1);
  // Signs contrast strongly with their piece: pale on the saturated colours, deep on
  // the light ones, with a dark engraved edge so the shape holds at a glance.
  Colour signTint;
  switch (colour) {
    case White:
      signTint = rgb(96, 128, 196);
      break;
    case Yellow:
      signTint = rgb(176, 104, 0);
      break;
    case Red:
      signTint = rgb(255, 214, 218);
      break;
    case Orange:
      signTint = rgb(255, 238, 204);
      break;
    case Blue:
      signTint = rgb(212, 230, 255);
      break;
    case Purple:
      signTint = rgb(242, 214, 255);
      break;
    case Green:
      signTint = rgb(214, 255, 220);
      break;
    default:
      signTint = rgb(206, 212, 236);
      break;
  }
  Mask edge = dilate(sign, 1.0f);
  Light L;
  float len = std::sqrt(L.x * L.x + L.y * L.y + L.z * L.z);
  L = {L.x / len, L.y / len, L.z / len};
  float hx = L.x, hy = L.y, hz = L.z + 1;
  float hl = std::sqrt(hx * hx + hy * hy + hz * hz);
  hx /= hl, hy /= hl, hz /= hl;

  c.fillShape(
      [&](float x, float y) { return boxDistance(x, y, kCentre, kCentre, kHalf, kHalf, corner); },
      [&](float x, float y) {
        int ix = std::clamp(int(x), 0, kSize - 1), iy = std::clamp(int(y), 0, kSize - 1);
        const float e = 0.5f;
        float dzx = (pillow(x + e, y, bevel, corner) - pillow(x - e, y, bevel, corner)) / (2 * e);
        float dzy = (pillow(x, y + e, bevel, corner) - pillow(x, y - e, bevel, corner)) / (2 * e);
        // The sign is pressed into the face: its slopes tilt the normal.
        auto r = [&](int px, int py) {
          px = std::clamp(px, 0, kSize - 1);
          py = std::clamp(py, 0, kSize - 1);
          return raised[size_t(py) * kSize + px];
        };
        dzx -= (r(ix + 1, iy) - r(ix - 1, iy)) * 0.6f;
        dzy -= (r(ix, iy + 1) - r(ix, iy - 1)) * 0.6f;
        float nx = -dzx * 3.2f, ny = -dzy * 3.2f, nz = 1;
        float nl = std::sqrt(nx * nx + ny * ny + nz * nz);
        nx /= nl, ny /= nl, nz /= nl;
        float diffuse = std::max(0.0f, nx * L.x + ny * L.y + nz * L.z);
        float specular = std::pow(std::max(0.0f, nx * hx + ny * hy + nz * hz), 28.0f);
        // A gentle top-to-bottom falloff reads as a rounded surface.
        float vertical = 1.08f - 0.22f * (y - 3) / 32;
        float s = sign.at(ix, iy);
        float ring = clamp01(edge.at(ix, iy) - s);
        Colour surface = mix(scaled(base, 1.0f - 0.45f * ring), signTint, s * 0.92f);
        float lightness = (0.42f + 0.72f * diffuse) * vertical;
        Colour out = scaled(surface, lightness);
        float shine = specular * (black ? 0.9f : 0.75f);
        out = mix(out, rgb(255, 255, 255), clamp01(shine));
        // Inner edge darkening so the silhouette stays crisp on any colour.
        float inside = -boxDistance(x, y, kCentre, kCentre, kHalf, kHalf, corner);
        out = scaled(out, 0.8f + 0.2f * smoothstep(0.0f, 2.0f, inside));
        out.a = 1;
        return out;
      });

  // Glassy highlight across the upper half.
  c.fillShape(
      [&](float x, float y) { return boxDistance(x, y, kCentre - 1.5f, 10.5f, 10.5f, 5.0f, 5.0f); },
      [&](float, float y) {
        float t = clamp01((y - 5.5f) / 10.0f);
        return Colour{1, 1, 1, (black ? 0.42f : 0.5f) * (1 - t) * (1 - t)};
      });
  // A small bright catchlight.
  c.fillShape([&](float x, float y) { return circleDistance(x, y, 9.5f, 8.5f, 1.8f); },
              Colour{1, 1, 1, 0.9f});
  return c;
}

Canvas stonePiece() {
  Canvas c(kSize, kSize);
  Colour base = pieceBase(Grey);
  const float corner = 4.0f;
  c.fillShape(
      [&](float x, float y) {
        return boxDistance(x, y, kCentre, kCentre, kHalf + 1.1f, kHalf + 1.1f, corner + 1);
      },
      rgb(40, 38, 36, 0.95f));
  // Cracks: short jagged lines from a few edge points.
  Canvas cracks(kSize, kSize);
  Dice dice(77);
  for (int n = 0; n < 3; ++n) {
    float x = dice.range(6, 31), y = dice.range(6, 31);
    float angle = dice.range(0, 6.283f);
    for (int step = 0; step < 7; ++step) {
      float nx = x + std::cos(angle) * 2.2f, ny = y + std::sin(angle) * 2.2f;
      float ax = x, ay = y;
      cracks.fillShape(
          [&](float px, float py) {
            float ex = nx - ax, ey = ny - ay;
            float t = clamp01(((px - ax) * ex + (py - ay) * ey) / (ex * ex + ey * ey));
            return std::hypot(px - ax - ex * t, py - ay - ey * t) - 0.45f;
          },
          Colour{0, 0, 0, 0.75f});
      x = nx, y = ny;
      angle += dice.range(-0.9f, 0.9f);
    }
  }
  c.fillShape(
      [&](float x, float y) { return boxDistance(x, y, kCentre, kCentre, kHalf, kHalf, corner); },
      [&](float x, float y) {
        float grain = fractalNoise(x * 0.28f, y * 0.28f, 4, 901);
        float speck = hashNoise(int(x), int(y), 902);
        Colour out = scaled(base, 0.78f + 0.45f * grain + (speck > 0.93f ? 0.18f : 0.0f) -
                                      (speck < 0.05f ? 0.15f : 0.0f));
        // Chiselled flat bevel: lit on the top and left faces, shaded below.
        float left = x - (kCentre - kHalf), top = y - (kCentre - kHalf);
        float right = (kCentre + kHalf) - x, bottom = (kCentre + kHalf) - y;
        const float b = 3.0f;
        if (std::min(top, left) < b && std::min(top, left) <= std::min(right, bottom))
          out = scaled(out, 1.28f);
        else if (std::min(right, bottom) < b)
          out = scaled(out, 0.66f);
        int ix = std::clamp(int(x), 0, kSize - 1), iy = std::clamp(int(y), 0, kSize - 1);
        const Colour& k = cracks.at(ix, iy);
        out = scaled(out, 1 - k.a * 0.7f);
        out.a = 1;
        return out;
      });
  return c;
}

}  // namespace

Canvas pieceImage(int colour) {
  return colour == Grey ? stonePiece() : glossyPiece(colour);
}

void makePieces(Output& out) {
  for (int colour = 0; colour < ColourCount; ++colour)
    out.png("Pieces", std::string("Sprites/") + colourName(colour) + ".1.png", pieceImage(colour),
            Storage::Alpha);
}
