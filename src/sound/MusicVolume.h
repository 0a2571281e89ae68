#pragma once

#include <SDL_mixer.h>

// SDL_mixer plays modules through libmikmod, whose mixer pans with a linear law: a
// channel in the middle reaches each side of a stereo device at half its strength, and
// a mono device at the full strength both sides add up to, 6 dB louder. The game's
// modules are written for stereo; on a mono device they play at half volume, so that the
// music sounds as loud either way (and as loud against the effects, which SDL_mixer plays
// at one strength on any device).
inline int musicVolumeFor(int deviceChannels) {
  return deviceChannels > 1 ? MIX_MAX_VOLUME : MIX_MAX_VOLUME / 2;
}
