#include "Canvas.h"

#include <algorithm>
#include <cmath>

float clamp01(float v) {
  return v < 0 ? 0 : (v > 1 ? 1 : v);
}

float smoothstep(float edge0, float edge1, float x) {
  float t = clamp01((x - edge0) / (edge1 - edge0));
  return t * t * (3 - 2 * t);
}

Colour rgb(int r, int g, int b, float a) {
  return {r / 255.0f, g / 255.0f, b / 255.0f, a};
}

Colour mix(const Colour& a, const Colour& b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
          a.a + (b.a - a.a) * t};
}

Colour scaled(const Colour& c, float factor) {
  return {clamp01(c.r * factor), clamp01(c.g * factor), clamp01(c.b * factor), c.a};
}

Canvas::Canvas(int width, int height, Colour fill)
    : pixels(size_t(width) * height, fill), w(width), h(height) {}

void Canvas::blend(int x, int y, const Colour& colour, float coverage) {
  if (!inside(x, y)) return;
  float sa = clamp01(colour.a * coverage);
  if (sa <= 0) return;
  Colour& d = at(x, y);
  float oa = sa + d.a * (1 - sa);
  if (oa <= 0) {
    d = {0, 0, 0, 0};
    return;
  }
  float keep = d.a * (1 - sa);
  d.r = (colour.r * sa + d.r * keep) / oa;
  d.g = (colour.g * sa + d.g * keep) / oa;
  d.b = (colour.b * sa + d.b * keep) / oa;
  d.a = oa;
}

void Canvas::fillShape(const std::function<float(float, float)>& distance,
                       const std::function<Colour(float, float)>& painter) {
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      float px = x + 0.5f, py = y + 0.5f;
      float cover = clamp01(0.5f - distance(px, py));
      if (cover > 0) blend(x, y, painter(px, py), cover);
    }
  }
}

void Canvas::fillShape(const std::function<float(float, float)>& distance, const Colour& colour) {
  fillShape(distance, [&](float, float) { return colour; });
}

void Canvas::draw(const Canvas& other, int x, int y, float opacity) {
  for (int j = 0; j < other.h; ++j)
    for (int i = 0; i < other.w; ++i) blend(x + i, y + j, other.at(i, j), opacity);
}

void Canvas::drawMask(const std::vector<float>& mask, int mw, int mh, int x, int y,
                      const Colour& c) {
  for (int j = 0; j < mh; ++j)
    for (int i = 0; i < mw; ++i) blend(x + i, y + j, c, mask[size_t(j) * mw + i]);
}

Canvas Canvas::scaledDown(int factor) const {
  Canvas out(w / factor, h / factor);
  for (int y = 0; y < out.h; ++y) {
    for (int x = 0; x < out.w; ++x) {
      float r = 0, g = 0, b = 0, a = 0;
      for (int j = 0; j < factor; ++j) {
        for (int i = 0; i < factor; ++i) {
          const Colour& c = at(x * factor + i, y * factor + j);
          r += c.r * c.a;
          g += c.g * c.a;
          b += c.b * c.a;
          a += c.a;
        }
      }
      float n = float(factor * factor);
      out.at(x, y) = a > 0 ? Colour{r / a, g / a, b / a, a / n} : Colour{0, 0, 0, 0};
    }
  }
  return out;
}

Canvas Canvas::resized(int newWidth, int newHeight) const {
  Canvas out(newWidth, newHeight);
  // Shrinking by whole steps first keeps detail from aliasing.
  int factor = std::max(1, std::min(w / newWidth, h / newHeight));
  Canvas source = factor > 1 ? scaledDown(factor) : *this;
  for (int y = 0; y < newHeight; ++y) {
    for (int x = 0; x < newWidth; ++x) {
      float sx = (x + 0.5f) * source.w / newWidth - 0.5f;
      float sy = (y + 0.5f) * source.h / newHeight - 0.5f;
      int x0 = std::clamp(int(std::floor(sx)), 0, source.w - 1);
      int y0 = std::clamp(int(std::floor(sy)), 0, source.h - 1);
      int x1 = std::min(x0 + 1, source.w - 1), y1 = std::min(y0 + 1, source.h - 1);
      float fx = clamp01(sx - x0), fy = clamp01(sy - y0);
      Colour top = mix(source.at(x0, y0), source.at(x1, y0), fx);
      Colour bottom = mix(source.at(x0, y1), source.at(x1, y1), fx);
      out.at(x, y) = mix(top, bottom, fy);
    }
  }
  return out;
}

float circleDistance(float x, float y, float cx, float cy, float radius) {
  return std::hypot(x - cx, y - cy) - radius;
}

float boxDistance(float x, float y, float cx, float cy, float halfW, float halfH, float corner) {
  float qx = std::fabs(x - cx) - (halfW - corner);
  float qy = std::fabs(y - cy) - (halfH - corner);
  float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
  return outside + std::min(std::max(qx, qy), 0.0f) - corner;
}

float polygonDistance(float x, float y, const std::vector<std::pair<float, float>>& points) {
  float best = 1e9f;
  bool in = false;
  size_t n = points.size();
  for (size_t i = 0, j = n - 1; i < n; j = i++) {
    auto [ax, ay] = points[j];
    auto [bx, by] = points[i];
    float ex = bx - ax, ey = by - ay;
    float wx = x - ax, wy = y - ay;
    float t = clamp01((wx * ex + wy * ey) / (ex * ex + ey * ey));
    best = std::min(best, std::hypot(wx - ex * t, wy - ey * t));
    if (((ay > y) != (by > y)) && (x < (bx - ax) * (y - ay) / (by - ay) + ax)) in = !in;
  }
  return in ? -best : best;
}

static uint32_t mixBits(uint32_t v) {
  v ^= v >> 16;
  v *= 0x7feb352du;
  v ^= v >> 15;
  v *= 0x846ca68bu;
  v ^= v >> 16;
  return v;
}

float hashNoise(int x, int y, uint32_t salt) {
  uint32_t v = mixBits(uint32_t(x) * 0x9e3779b1u ^ mixBits(uint32_t(y) + salt * 0x85ebca6bu));
  return (v >> 8) * (1.0f / 16777216.0f);
}

float valueNoise(float x, float y, uint32_t salt) {
  int ix = int(std::floor(x)), iy = int(std::floor(y));
  float fx = x - ix, fy = y - iy;
  float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
  float a = hashNoise(ix, iy, salt), b = hashNoise(ix + 1, iy, salt);
  float c = hashNoise(ix, iy + 1, salt), d = hashNoise(ix + 1, iy + 1, salt);
  return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy;
}

float fractalNoise(float x, float y, int octaves, uint32_t salt) {
  float sum = 0, amplitude = 0.5f, total = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += valueNoise(x, y, salt + i * 101) * amplitude;
    total += amplitude;
    x *= 2.03f;
    y *= 2.03f;
    amplitude *= 0.5f;
  }
  return sum / total;
}

uint32_t Dice::next() {
  state ^= state << 13;
  state ^= state >> 17;
  state ^= state << 5;
  return state;
}

std::vector<float> blurField(const std::vector<float>& field, int w, int h, int radius) {
  std::vector<float> a = field, b(field.size());
  if (radius <= 0) return a;
  for (int pass = 0; pass < 3; ++pass) {
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        float sum = 0;
        for (int k = -radius; k <= radius; ++k)
          sum += a[size_t(y) * w + std::clamp(x + k, 0, w - 1)];
        b[size_t(y) * w + x] = sum / (2 * radius + 1);
      }
    }
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        float sum = 0;
        for (int k = -radius; k <= radius; ++k)
          sum += b[size_t(std::clamp(y + k, 0, h - 1)) * w + x];
        a[size_t(y) * w + x] = sum / (2 * radius + 1);
      }
    }
  }
  return a;
}
