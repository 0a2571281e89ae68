#include "ImageLoading.h"

#include <SDL_image.h>

SDL_Surface* loadImageFromResource(const Resource& resource) {
  // An absent or empty resource is no image; SDL would refuse the stream anyway.
  if (!resource.data || resource.size <= 0) return nullptr;
  SDL_RWops* stream = SDL_RWFromMem(resource.data, resource.size);
  if (!stream) return nullptr;
  SDL_Surface* surface = IMG_Load_RW(stream, 0);
#ifdef __EMSCRIPTEN__
  // The browser's SDL hands out stream numbers, not streams with a close of their own.
  SDL_FreeRW(stream);
#else
  SDL_RWclose(stream);
#endif
  return surface;
}
