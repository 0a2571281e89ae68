#include "Font.h"

#include <cstdio>
#include <memory>

#include "DirectoryResourceSource.h"
#include "ImageFiles.h"
#include "ImageLoading.h"
#include "Pixels.h"

namespace {

// 1/255 as the game has always rounded it; the results are truncated, so it matters.
constexpr double OneIn255 = 0.00392156862745098;

uint32_t scaleChannel(uint32_t pixel, uint32_t mask, uint8_t factor) {
  // The channel is scaled where it sits, without shifting it down first.
  return uint32_t(double(pixel & mask) * factor * OneIn255) & mask;
}

}  // namespace

void tintSurface(SDL_Surface* surface, const uint8_t* tint) {
  const SDL_PixelFormat* format = surface->format;
  int bytes = format->BytesPerPixel;
  if (bytes < 2) return;  // palette images carry their colours elsewhere
  SDL_LockSurface(surface);
  for (int y = 0; y < surface->h; ++y) {
    uint8_t* row = static_cast<uint8_t*>(surface->pixels) + y * surface->pitch;
    for (int x = 0; x < surface->w; ++x) {
      uint8_t* at = row + x * bytes;
      uint32_t pixel = readPixel(at, bytes);
      uint32_t red = scaleChannel(pixel, format->Rmask, tint[0]);
      uint32_t blue = scaleChannel(pixel, format->Bmask, tint[2]);
      uint32_t green = scaleChannel(pixel, format->Gmask, tint[1]);
      writePixel(at, bytes, red + blue + green + (pixel & format->Amask));
    }
  }
  SDL_UnlockSurface(surface);
}

Font::~Font() {
  clear();
}

void Font::clear() {
  for (auto& glyph : glyphs) {
    SDL_FreeSurface(glyph);
    glyph = nullptr;
  }
}

int Font::load(const char* library, const char* folder, const uint8_t* tint) {
  clear();
  std::unique_ptr<ResourceSource> source(openResourceLibrary(library));
  for (int code = 0; code < 256; ++code) {
    char name[512];
    std::snprintf(name, sizeof name, "%s/%x.png", folder, code);
    HeldResource held(source->load(name, true));
    if (held.resource.absent()) {
      std::snprintf(name, sizeof name, "%s/%X.png", folder, code);
      held.resource = source->load(name, true);
    }
    if (!held.resource.absent()) glyphs[code] = loadImageFromResource(held.resource);
    // Without glyph 0 there is no line height and nothing to stand in for missing
    // glyphs, so there is no point reading the rest.
    if (code == 0 && !glyphs[0]) return -1;
  }
  for (auto& glyph : glyphs) {
    if (!glyph) continue;
    if (tint) tintSurface(glyph, tint);
    glyph = inScreenFormat(glyph);
  }
  return 0;
}

SDL_Surface* Font::glyph(char c) const {
  SDL_Surface* image = glyphs[static_cast<unsigned char>(c)];
  return image ? image : glyphs[0];
}

int Font::textWidth(const std::string& text) const {
  int width = 0;
  for (char c : text) {
    if (SDL_Surface* image = glyph(c)) width += image->w;
  }
  return width;
}

void Font::draw(SDL_Surface* target, const std::string& text, int16_t x, int16_t y) const {
  SDL_SetClipRect(target, nullptr);
  int16_t left = x;
  for (char c : text) {
    if (c == '\n') {
      x = left;
      y = int16_t(y + lineHeight());
      continue;
    }
    SDL_Surface* image = glyph(c);
    if (!image) continue;  // an unusable font draws nothing rather than crash
    SDL_Rect place = {x, y, 0, 0};
    SDL_UpperBlit(image, nullptr, target, &place);
    x = int16_t(x + image->w);
  }
}

std::vector<std::string> Font::wrap(const std::string& text, int width) const {
  std::vector<std::string> lines;
  size_t at = 0;
  for (;;) {
    size_t end = text.find('\n', at);
    std::string paragraph = text.substr(at, end == std::string::npos ? end : end - at);
    std::string line;
    size_t word = 0;
    while (word < paragraph.size()) {
      size_t space = paragraph.find(' ', word);
      std::string next = paragraph.substr(word, space == std::string::npos ? space : space - word);
      std::string joined = line.empty() ? next : line + " " + next;
      if (textWidth(joined) <= width) {
        line = joined;
      } else {
        if (!line.empty()) lines.push_back(line);
        line.clear();
        // A word wider than a line on its own is broken where it reaches the edge.
        for (char c : next) {
          if (!line.empty() && textWidth(line + c) > width) {
            lines.push_back(line);
            line.clear();
          }
          line += c;
        }
      }
      if (space == std::string::npos) break;
      word = space + 1;
    }
    lines.push_back(line);
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return lines;
}

int Font::lineHeight() const {
  return glyphs[0] ? glyphs[0]->h : -1;
}
