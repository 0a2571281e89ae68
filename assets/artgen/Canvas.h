#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Colours are straight (not premultiplied) RGBA with every channel in 0..1.
struct Colour {
  float r = 0, g = 0, b = 0, a = 1;
};

Colour rgb(int r, int g, int b, float a = 1.0f);
Colour mix(const Colour& a, const Colour& b, float t);
Colour scaled(const Colour& c, float factor);  // rgb times factor, alpha kept

// A floating-point picture that the generator paints into before it is encoded.
class Canvas {
public:
  Canvas() = default;
  Canvas(int width, int height, Colour fill = {0, 0, 0, 0});

  int width() const { return w; }
  int height() const { return h; }
  Colour& at(int x, int y) { return pixels[size_t(y) * w + x]; }
  const Colour& at(int x, int y) const { return pixels[size_t(y) * w + x]; }
  bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h; }

  // Paints `colour` over the pixel with the given coverage (0..1), source-over.
  void blend(int x, int y, const Colour& colour, float coverage = 1.0f);
  // Paints every pixel with the colour the painter gives, where the shape covers it.
  // The shape is a signed distance in pixels (negative inside), sampled at pixel centres.
  void fillShape(const std::function<float(float, float)>& distance,
                 const std::function<Colour(float, float)>& painter);
  void fillShape(const std::function<float(float, float)>& distance, const Colour& colour);
  // Places another picture over this one with its top-left corner at (x, y).
  void draw(const Canvas& other, int x, int y, float opacity = 1.0f);
  // Places a coverage mask (0..1 per pixel) in one colour.
  void drawMask(const std::vector<float>& mask, int mw, int mh, int x, int y, const Colour& c);

  Canvas scaledDown(int factor) const;                // box filter
  Canvas resized(int newWidth, int newHeight) const;  // bilinear, for the contact sheet

  std::vector<Colour> pixels;

private:
  int w = 0, h = 0;
};

// Signed distances of basic shapes, negative inside.
float circleDistance(float x, float y, float cx, float cy, float radius);
float boxDistance(float x, float y, float cx, float cy, float halfW, float halfH, float corner);
float polygonDistance(float x, float y, const std::vector<std::pair<float, float>>& points);

// Repeatable noise: the same inputs always give the same value in 0..1.
float hashNoise(int x, int y, uint32_t salt);
float valueNoise(float x, float y, uint32_t salt);  // smooth, period ~1 unit
float fractalNoise(float x, float y, int octaves, uint32_t salt);

// A small repeatable random generator for scattering things.
class Dice {
public:
  explicit Dice(uint32_t start) : state(start * 2654435761u + 1013904223u) {}
  uint32_t next();
  float unit() { return (next() >> 8) * (1.0f / 16777216.0f); }
  float range(float lo, float hi) { return lo + (hi - lo) * unit(); }

private:
  uint32_t state;
};

// Gaussian-like blur of a single-channel field (three box passes).
std::vector<float> blurField(const std::vector<float>& field, int w, int h, int radius);
float smoothstep(float edge0, float edge1, float x);
float clamp01(float v);
