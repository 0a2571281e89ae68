// The generated music as SDL_mixer plays it to the player: loud, never clipped, never
// silent. (The generator checks the rest of its sounds itself: audiogen --check.)
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "MusicCapture.h"

namespace {
double decibels(const int16_t* samples, size_t count, double* peak) {
  double sum = 0;
  for (size_t i = 0; i < count; ++i) {
    *peak = std::max(*peak, std::abs(samples[i]) / 32767.0);
    sum += double(samples[i]) * samples[i];
  }
  return 20 * std::log10(std::sqrt(sum / count) / 32767 + 1e-9);
}
}  // namespace

TEST(GeneratedMusic, PlaysLoudWithoutClippingOrASilentSecond) {
  // The disk driver with no delay mixes as fast as it can.
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
  setenv("SDL_DISKAUDIODELAY", "0", 1);
  ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
  // Mono is the game's default and the loudest way to mix.
  ASSERT_EQ(Mix_OpenAudio(44100, AUDIO_S16SYS, 1, 1024), 0) << Mix_GetError();
  for (const char* name : {"ingame1.s3m", "ingame2.s3m", "menu.s3m"}) {
    SCOPED_TRACE(name);
    Capture capture = captureMusic(std::string(PIGMORA_DATA_DIR) + "/Sounds/" + name, 12.0, 0, 0);
    ASSERT_EQ(capture.error, "");
    ASSERT_NEAR(capture.seconds(), 12.0, 0.05);
    double peak = 0;
    for (int second = 0; second < 12; ++second)
      EXPECT_GT(decibels(capture.samples.data() + second * 44100, 44100, &peak), -40.0) << second;
    EXPECT_LT(peak, 0.97);
  }
  Mix_CloseAudio();
  SDL_Quit();
  setenv("SDL_AUDIODRIVER", "dummy", 1);
}
