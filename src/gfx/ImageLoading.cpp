#include "ImageLoading.h"

#include <SDL_image.h>

SDL_Surface* loadImageFromResource(const Resource& resource) {
  // An absent or empty resource is no image; SDL would refuse the stream anyway.
  if (!resource.data || resource.size <= 0) return nullptr;
  SDL_RWops* stream = SDL_RWFromMem(resource.data, resource.size);
  if (!stream) return nullptr;
  SDL_Surface* surface = IMG_Load_RW(stream, 0);
  SDL_RWclose(stream);
  return surface;
}
