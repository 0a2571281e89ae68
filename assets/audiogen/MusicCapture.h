#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Plays a music module through SDL_mixer and keeps what the mixer produced, so that
// the modules can be listened to and measured exactly as the game will sound, with the
// mixer's levels the game sets (MixerLevels.h).
// SDL and its audio subsystem must be started by the caller. A device the caller already
// opened is used as it is (rate and channels are then ignored) and left open: closing and
// reopening the mixer between modules has been seen to leave the next one silent.
struct Capture {
  int rate = 0;
  int channels = 0;
  std::vector<int16_t> samples;  // interleaved
  std::string error;             // empty when the capture worked

  double seconds() const;
};

Capture captureMusic(const std::string& path, double seconds, int rate, int channels);

// What the open mixer hands the device once `start` (false when it could not) has begun
// a sound: `seconds` of it, interleaved, from its first sound on, however long `start`
// takes. Empty, with the reason in `error`, when nothing sounds or the mixer stops.
std::vector<int16_t> listenToMixer(double seconds, const std::function<bool()>& start,
                                   std::string& error);
