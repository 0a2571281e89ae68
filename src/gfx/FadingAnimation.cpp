#include "FadingAnimation.h"

#include <algorithm>

void FadingAnimation::draw(SDL_Surface* target, const SDL_Rect* rect, uint16_t progress) {
  if (frames.empty()) return;
  uint32_t t = uint32_t(progress) * 4;
  SDL_Rect place = *rect;
  if (t < 65536) {
    SDL_Surface* frame = frames[(uint32_t(frames.size()) * t) >> 16];
    // Splat frames are colour-keyed, so with blending off they draw as solid shapes.
    SDL_SetAlpha(frame, 0, 0);
    SDL_UpperBlit(frame, nullptr, target, &place);
  } else if (t < 131072) {
    SDL_Surface* last = frames.back();
    SDL_SetAlpha(last, SDL_SRCALPHA, uint8_t(std::min<uint32_t>(255, (131072 - t) >> 8)));
    SDL_UpperBlit(last, nullptr, target, &place);
  }
}
