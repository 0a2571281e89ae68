#pragma once

#include "Animation.h"

// A splat: plays all its frames in the first quarter of its life, fades its last frame
// out over the second quarter and is gone for the second half.
class FadingAnimation : public Animation {
public:
  void draw(SDL_Surface* target, const SDL_Rect* rect, uint16_t progress) override;
};
