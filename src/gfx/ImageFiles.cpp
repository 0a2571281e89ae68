#include "ImageFiles.h"

#include <SDL_image.h>

#include "Error.h"
#include "ImageLoading.h"
#include "ResourceSource.h"

SDL_Surface* loadLibraryImage(ResourceSource* source, const std::string& name) {
  SDL_Surface* surface = nullptr;
  {
    HeldResource held(source->load(name.c_str(), false));
    surface = loadImageFromResource(held.resource);
  }
  if (!surface) throw Error{"Unable to decode resource <" + name + ">"};
  return surface;
}

SDL_Surface* loadImageFile(const std::string& path, bool required) {
  SDL_Surface* surface = nullptr;
  if (isRegularFile(path))
    surface = IMG_Load(path.c_str());
  else
    SDL_SetError("no such file");
  if (!surface && required) {
    throw Error{"Unable to load image <" + path + ">: " + std::string(IMG_GetError())};
  }
  return surface;
}

SDL_Surface* inScreenFormat(SDL_Surface* image) {
  if (!image || !SDL_GetVideoSurface()) return image;
  SDL_Surface* converted =
      image->format->Amask ? SDL_DisplayFormatAlpha(image) : SDL_DisplayFormat(image);
  if (!converted) return image;
  SDL_FreeSurface(image);
  return converted;
}
