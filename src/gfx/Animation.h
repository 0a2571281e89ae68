#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

class ResourceSource;

// A short run of images played once over a cell; the caller supplies how far along it
// is, so one animation serves every cell that shows it.
class Animation {
public:
  Animation() = default;
  Animation(const Animation&) = delete;
  Animation& operator=(const Animation&) = delete;

  // progress: 0 at the start, 65535 at the end.
  virtual void draw(SDL_Surface* target, const SDL_Rect* rect, uint16_t progress);
  virtual ~Animation();

  // Appends frames pattern % 1 .. pattern % count from the library. With b >= 0 the
  // colour (r, g, b) is made transparent; with b < 0 the images' own alpha is used.
  void loadFrames(ResourceSource* source, const char* pattern, int count, int r, int g, int b);

  std::vector<SDL_Surface*> frames;  // owned, in playing order
};
