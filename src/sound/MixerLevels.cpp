#include "MixerLevels.h"

#include <SDL_mixer.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "SoftKnee.h"

namespace {

// SDL_mixer adds the music and every effect up in 16 bits and saturates what overflows:
// two effects struck together over a loud beat come out flat-topped. So it adds them at
// half strength, where no sum overflows, and the output stage below doubles the sum,
// bending its rare peaks above the knee softly under full scale.
constexpr int InnerHeadroom = 2;
constexpr float KneeLevel = 0.708f;     // -3 dBFS: everything below passes untouched
constexpr float CeilingLevel = 0.977f;  // -0.2 dBFS: never reached
constexpr float FullScale = 32768.0f;

void outputStage(int, void* stream, int length, void*) {
  auto* samples = static_cast<int16_t*>(stream);
  const int knee = static_cast<int>(KneeLevel * FullScale);
  for (int i = 0; i < length / 2; ++i) {
    const int doubled = samples[i] * InnerHeadroom;
    if (std::abs(doubled) <= knee) {
      samples[i] = static_cast<int16_t>(doubled);
      continue;
    }
    const float bent = softKnee(std::abs(doubled) / FullScale, KneeLevel, CeilingLevel);
    samples[i] = static_cast<int16_t>(std::lround(std::copysign(bent, doubled) * FullScale));
  }
}

}  // namespace

int musicVolumeFor(int deviceChannels) {
  return deviceChannels > 1 ? MIX_MAX_VOLUME : MIX_MAX_VOLUME / 2;
}

void setMixerLevels() {
  int channels = 0;
  Uint16 format = 0;
  if (Mix_QuerySpec(nullptr, &format, &channels) == 0) return;
  // The stage reads native 16-bit samples; any other format keeps the plain levels.
  const bool staged = format == AUDIO_S16SYS;
  const int headroom = staged ? InnerHeadroom : 1;
  Mix_VolumeMusic(musicVolumeFor(channels) / headroom);
  Mix_Volume(-1, MIX_MAX_VOLUME / headroom);
  Mix_UnregisterEffect(MIX_CHANNEL_POST, outputStage);  // once, however often it is set
  if (staged) Mix_RegisterEffect(MIX_CHANNEL_POST, outputStage, nullptr, nullptr);
}
