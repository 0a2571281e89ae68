#pragma once

#include <string>
#include <vector>

#include "Canvas.h"

// A coverage mask: one float in 0..1 per pixel.
struct Mask {
  int w = 0, h = 0;
  std::vector<float> cover;
  float at(int x, int y) const {
    return (x < 0 || y < 0 || x >= w || y >= h) ? 0.0f : cover[size_t(y) * w + x];
  }
};

// One face of the DejaVu family at one pixel size, rendered through FreeType.
class Typeface {
public:
  Typeface(const std::string& file, int pixelSize);
  ~Typeface();
  Typeface(const Typeface&) = delete;
  Typeface& operator=(const Typeface&) = delete;

  int ascent() const;
  int descent() const;  // positive, below the baseline
  bool has(char32_t code) const;
  float advance(char32_t code) const;
  float width(const std::u32string& text) const;
  // Draws a line of text into a mask with its baseline at `baseline` and its pen
  // starting at `penX`; the mask must already have its size.
  void render(Mask& mask, const std::u32string& text, float penX, int baseline) const;
  // A mask just large enough for one line of text, baseline at ascent() (+ margin).
  Mask line(const std::u32string& text, int margin = 0) const;

private:
  struct Impl;
  Impl* impl;
};

std::string dejavu(const char* name);  // full path of a DejaVu font file
std::u32string utf32(const std::string& utf8);

// A grown copy of a mask: the outline of its shapes `radius` pixels wide.
Mask dilate(const Mask& mask, float radius);
// Shifts a mask into a larger frame.
Mask padded(const Mask& mask, int pad);
// Draws text centred on (cx, baseline) with a soft dark shadow and an outline.
void drawLettering(Canvas& canvas, const Typeface& face, const std::string& text, float cx,
                   int baseline, const Colour& fill, const Colour& outline, float outlineWidth,
                   float shadowOpacity);
// The same with a vertical two-colour gradient inside the letters.
void drawGradientLettering(Canvas& canvas, const Typeface& face, const std::string& text, float x,
                           int baseline, const Colour& top, const Colour& bottom,
                           const Colour& outline, float outlineWidth, float shadowOpacity,
                           bool centred);
