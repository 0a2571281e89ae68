#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

// A bitmap font: one image per character code. Glyph 0 stands in for every missing
// glyph and sets the line height, so a usable font always has it.
class Font {
public:
  Font() = default;
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  // Reads folder/<code in hex>.png for every code from the library, lower-case hex
  // first. tint (r, g, b) multiplies the channels of every glyph; null keeps them.
  // -1 when there is no glyph 0 (the font stays unusable), else 0.
  int load(const char* library, const char* folder, const uint8_t* tint);
  // Sum of the glyph widths; a newline counts as a character here.
  int textWidth(const std::string& text) const;
  // The text in lines no wider than `width`: broken at its own line ends, then between
  // words, and inside a word that is wider on its own (a long host name).
  std::vector<std::string> wrap(const std::string& text, int width) const;
  // A newline starts the next line at x, one glyph-0 height lower.
  void draw(SDL_Surface* target, const std::string& text, int16_t x, int16_t y) const;
  // Height of glyph 0, -1 without it.
  int lineHeight() const;

  SDL_Surface* glyphs[256] = {};  // owned, by character code

private:
  SDL_Surface* glyph(char c) const;
  void clear();
};

// Multiplies each colour channel of the surface's pixels by tint / 255, leaving alpha.
void tintSurface(SDL_Surface* surface, const uint8_t* tint);
