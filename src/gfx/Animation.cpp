#include "Animation.h"

#include <cstdio>

#include "ImageFiles.h"

void Animation::draw(SDL_Surface* target, const SDL_Rect* rect, uint16_t progress) {
  if (frames.empty()) return;
  uint32_t index = (uint32_t(progress) * uint32_t(frames.size())) >> 16;
  SDL_Rect place = *rect;  // the blit writes the clipped rectangle back
  SDL_UpperBlit(frames[index], nullptr, target, &place);
}

Animation::~Animation() {
  for (auto frame = frames.rbegin(); frame != frames.rend(); ++frame) SDL_FreeSurface(*frame);
}

void Animation::loadFrames(ResourceSource* source, const char* pattern, int count, int r, int g,
                           int b) {
  for (int i = 1; i <= count; ++i) {
    char name[256];
    std::snprintf(name, sizeof name, pattern, i);
    SDL_Surface* frame = inScreenFormat(loadLibraryImage(source, name));
    frames.push_back(frame);
    if (b >= 0) {
      SDL_SetColorKey(frame, SDL_SRCCOLORKEY | SDL_RLEACCEL, SDL_MapRGB(frame->format, r, g, b));
    } else {
      SDL_SetAlpha(frame, SDL_SRCALPHA, 0);
    }
  }
}
