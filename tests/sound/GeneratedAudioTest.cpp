#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "MusicCapture.h"
#include "SoundTestSupport.h"

namespace {

const int FullScale = 32767;

struct Level {
  double peak = 0.0;  // of full scale
  double rms = 0.0;
  size_t clipped = 0;
};

Level measure(const int16_t* samples, size_t count) {
  Level level;
  double sum = 0.0;
  for (size_t i = 0; i < count; ++i) {
    int magnitude = std::abs(static_cast<int>(samples[i]));
    level.peak = std::max(level.peak, magnitude / static_cast<double>(FullScale));
    if (magnitude >= FullScale) ++level.clipped;
    sum += static_cast<double>(samples[i]) * samples[i];
  }
  level.rms = count ? std::sqrt(sum / count) / FullScale : 0.0;
  return level;
}

double decibels(double value) {
  return 20.0 * std::log10(std::max(value, 1e-9));
}

// Decodes the effects exactly as the game does, on a 22050 Hz mono device, so that
// the decoded chunk holds one 16-bit sample per frame.
class EffectFilesTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_EQ(SDL_Init(SDL_INIT_TIMER), 0) << SDL_GetError();
    ASSERT_EQ(Mix_OpenAudio(22050, AUDIO_S16SYS, 1, 1024), 0) << Mix_GetError();
  }
  void TearDown() override {
    Mix_CloseAudio();
    SDL_Quit();
  }

  std::vector<int16_t> decode(const std::string& file) {
    Mix_Chunk* chunk = Mix_LoadWAV(generatedSound(file).c_str());
    if (!chunk) return {};
    const auto* samples = reinterpret_cast<const int16_t*>(chunk->abuf);
    std::vector<int16_t> out(samples, samples + chunk->alen / 2);
    Mix_FreeChunk(chunk);
    return out;
  }
};

TEST_F(EffectFilesTest, EveryEffectIsShortCleanAndAudible) {
  // Each effect and the length it was made to have, in seconds.
  const struct {
    const char* file;
    double seconds;
  } expected[] = {{"drop.wav", 0.11},      {"grab.wav", 0.12},      {"slide down.wav", 0.3},
                  {"Laser.wav", 0.38},     {"Explode.wav", 0.9},    {"Reaction.wav", 0.55},
                  {"Reaction1.wav", 0.55}, {"Reaction2.wav", 0.55}, {"Reaction3.wav", 0.55},
                  {"Reaction4.wav", 0.55}, {"Reaction5.wav", 0.55}, {"Reaction6.wav", 0.55}};
  for (const auto& effect : expected) {
    SCOPED_TRACE(effect.file);
    std::vector<int16_t> sound = decode(effect.file);
    ASSERT_FALSE(sound.empty()) << Mix_GetError();
    EXPECT_NEAR(sound.size() / 22050.0, effect.seconds, 0.01);
    Level level = measure(sound.data(), sound.size());
    EXPECT_EQ(level.clipped, 0u);
    EXPECT_LT(level.peak, 0.95);
    EXPECT_GT(decibels(level.rms), -30.0);
    // Starting or stopping away from zero would click.
    EXPECT_LT(std::abs(sound.front()), FullScale / 100);
    EXPECT_LT(std::abs(sound.back()), FullScale / 100);
  }
}

TEST_F(EffectFilesTest, LongerChainsSoundHigher) {
  // Zero crossings per second follow the pitch (and the brightness) of a tone.
  auto crossingRate = [&](const std::string& file) {
    std::vector<int16_t> sound = decode(file);
    int crossings = 0;
    for (size_t i = 1; i < sound.size(); ++i)
      if ((sound[i - 1] < 0) != (sound[i] < 0)) ++crossings;
    return crossings / (sound.size() / 22050.0);
  };
  double previous = crossingRate("Reaction.wav");
  for (int chain = 1; chain <= 6; ++chain) {
    double rate = crossingRate("Reaction" + std::to_string(chain) + ".wav");
    EXPECT_GT(rate, previous * 1.05) << "chain " << chain;
    previous = rate;
  }
}

// One pass through a module's order list, read from the file's own header.
double passSeconds(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<unsigned char> file((std::istreambuf_iterator<char>(in)), {});
  if (file.size() < 0x60 || std::string(file.begin() + 0x2c, file.begin() + 0x30) != "SCRM")
    return 0.0;
  int orders = file[0x20] | file[0x21] << 8;
  int patterns = file[0x24] | file[0x25] << 8;
  int speed = file[0x31], tempo = file[0x32];
  int played = 0;
  for (int i = 0; i < orders; ++i)
    if (file[0x60 + i] < patterns) ++played;
  return played * 64 * speed * 2.5 / tempo;
}

TEST(MusicFiles, EachModuleLastsOverAMinuteAndPlaysLoudEnoughWithoutClipping) {
  // The disk driver with no delay mixes as fast as it can, so twelve seconds of each
  // module take a moment, not twelve seconds.
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
  setenv("SDL_DISKAUDIODELAY", "0", 1);
  ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
  for (const char* module : {"ingame1.s3m", "ingame2.s3m", "menu.s3m"}) {
    SCOPED_TRACE(module);
    EXPECT_GE(passSeconds(generatedSound(module)), 60.0);
    // Mono is the game's default and the loudest way to mix.
    Capture capture = captureMusic(generatedSound(module), 12.0, 44100, 1);
    ASSERT_EQ(capture.error, "");
    ASSERT_NEAR(capture.seconds(), 12.0, 0.05);
    Level whole = measure(capture.samples.data(), capture.samples.size());
    EXPECT_EQ(whole.clipped, 0u);
    EXPECT_LT(whole.peak, 0.97);
    EXPECT_GT(decibels(whole.rms), -30.0);
    // No second of it is silent.
    for (int second = 0; second < 12; ++second) {
      Level part = measure(capture.samples.data() + second * 44100, 44100);
      EXPECT_GT(decibels(part.rms), -40.0) << "second " << second;
    }
  }
  SDL_Quit();
  setenv("SDL_AUDIODRIVER", "dummy", 1);
}

}  // namespace
