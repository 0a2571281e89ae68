// The generated music as SDL_mixer plays it to the player at the game's default rate:
// at a music level, bright enough, never clipped, never silent. (The generator checks
// the rest of its sounds, and the effects against the music, itself: audiogen --check.)
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <string>

#include "MixFigures.h"
#include "MusicCapture.h"
#include "Settings.h"

TEST(GeneratedMusic, PlaysAtMusicLevelBrightWithoutClippingOrASilentSecond) {
  // The disk driver with no delay mixes as fast as it can.
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
  setenv("SDL_DISKAUDIODELAY", "0", 1);
  ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
  const Settings defaults;
  const int channels = defaults.Stereo ? 2 : 1;
  constexpr double Seconds = 40.0;
  for (const char* name : {"ingame1.s3m", "ingame2.s3m", "menu.s3m"}) {
    SCOPED_TRACE(name);
    Capture capture = captureMusic(std::string(PIGMORA_DATA_DIR) + "/Sounds/" + name, Seconds,
                                   defaults.Frequency, channels);
    ASSERT_EQ(capture.error, "");
    ASSERT_NEAR(capture.seconds(), Seconds, 0.05);
    const size_t second = static_cast<size_t>(capture.rate * capture.channels);
    for (size_t at = 0; at + second <= capture.samples.size(); at += second)
      EXPECT_GT(mixFigures(capture.samples.data() + at, second, capture.rate).rmsDb, -40.0)
          << "second " << at / second;
    MixFigures f = mixFigures(capture.samples.data(), capture.samples.size(), capture.rate);
    EXPECT_GE(f.rmsDb, MixTarget::QuietestMusicDb);
    EXPECT_LE(f.rmsDb, MixTarget::LoudestMusicDb);
    EXPECT_LE(f.peakDb, MixTarget::MusicPeakDb);
    EXPECT_FALSE(f.clipped);
    EXPECT_GE(f.brightShare, MixTarget::BrightShare);
  }
  SDL_Quit();
  setenv("SDL_AUDIODRIVER", "dummy", 1);
}
