#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "MusicCapture.h"

namespace {

std::string generated(const std::string& file) {
  return std::string(PIGMORA_DATA_DIR) + "/Sounds/" + file;
}

const int FullScale = 32767;

struct Level {
  double peak = 0.0;       // of full scale
  double decibels = -180;  // loudness (RMS) against full scale
};

Level measure(const int16_t* samples, size_t count) {
  Level level;
  double sum = 0.0;
  for (size_t i = 0; i < count; ++i) {
    int magnitude = std::abs(static_cast<int>(samples[i]));
    level.peak = std::max(level.peak, magnitude / static_cast<double>(FullScale));
    sum += static_cast<double>(samples[i]) * samples[i];
  }
  if (sum > 0) level.decibels = 20.0 * std::log10(std::sqrt(sum / count) / FullScale);
  return level;
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
};

TEST_F(EffectFilesTest, EveryEffectIsShortCleanAndAudibleAndLongerChainsSoundHigher) {
  // Each effect and the length it was made to have, in seconds; the chain sounds in
  // order of the chain.
  const std::pair<const char*, double> expected[] = {
      {"drop.wav", 0.11},      {"grab.wav", 0.12},      {"slide down.wav", 0.3},
      {"Laser.wav", 0.38},     {"Explode.wav", 0.9},    {"Reaction.wav", 0.55},
      {"Reaction1.wav", 0.55}, {"Reaction2.wav", 0.55}, {"Reaction3.wav", 0.55},
      {"Reaction4.wav", 0.55}, {"Reaction5.wav", 0.55}, {"Reaction6.wav", 0.55}};
  double previousRate = 0.0;
  for (const auto& [file, seconds] : expected) {
    SCOPED_TRACE(file);
    Mix_Chunk* chunk = Mix_LoadWAV(generated(file).c_str());
    ASSERT_NE(chunk, nullptr) << Mix_GetError();
    const auto* samples = reinterpret_cast<const int16_t*>(chunk->abuf);
    std::vector<int16_t> sound(samples, samples + chunk->alen / 2);
    Mix_FreeChunk(chunk);
    ASSERT_FALSE(sound.empty());
    EXPECT_NEAR(sound.size() / 22050.0, seconds, 0.01);
    Level level = measure(sound.data(), sound.size());
    EXPECT_LT(level.peak, 0.95);  // headroom, so nothing clipped
    EXPECT_GT(level.decibels, -30.0);
    // Starting or stopping away from zero would click.
    EXPECT_LT(std::abs(sound.front()), FullScale / 100);
    EXPECT_LT(std::abs(sound.back()), FullScale / 100);
    // Zero crossings per second follow the pitch (and the brightness) of a tone.
    if (std::string(file).rfind("Reaction", 0) != 0) continue;
    int crossings = 0;
    for (size_t i = 1; i < sound.size(); ++i) crossings += (sound[i - 1] < 0) != (sound[i] < 0);
    double rate = crossings / (sound.size() / 22050.0);
    EXPECT_GT(rate, previousRate * 1.05);
    previousRate = rate;
  }
}

// Reads back what a player relies on in a generated module, the way a tracker would:
// header, sample headers through their pointers, packed patterns.
struct Module {
  explicit Module(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  unsigned u8(size_t at) const { return at < bytes.size() ? bytes[at] : 0; }
  unsigned u16(size_t at) const { return u8(at) | u8(at + 1) << 8; }
  unsigned u32(size_t at) const { return u16(at) | u16(at + 2) << 16; }
  std::string text(size_t at, size_t n) const {
    return at + n <= bytes.size() ? std::string(bytes.begin() + at, bytes.begin() + at + n) : "";
  }
  unsigned orders() const { return u16(0x20); }
  unsigned samples() const { return u16(0x22); }
  unsigned patterns() const { return u16(0x24); }

  // Unpacks a pattern: -1 when its rows do not end where its length says, else whether
  // it holds a jump to the first order.
  int jumpsToStart(unsigned index) const {
    size_t at = u16(0x60 + orders() + 2 * samples() + 2 * index) * 16;
    size_t end = at + u16(at);
    bool jumps = false;
    at += 2;
    for (int row = 0; row < 64; ++row) {
      for (unsigned what = u8(at++); what != 0; what = u8(at++)) {
        if (at > end) return -1;
        at += ((what & 0x20) ? 2 : 0) + ((what & 0x40) ? 1 : 0);
        if (what & 0x80) {
          jumps |= u8(at) == 2 && u8(at + 1) == 0;
          at += 2;
        }
      }
    }
    return at == end ? jumps : -1;
  }

  std::vector<unsigned char> bytes;
};

TEST(MusicFiles, EachModuleIsAWellFormedMinuteThatLoopsAndPlaysLoudWithoutClipping) {
  // The disk driver with no delay mixes as fast as it can, so twelve seconds of each
  // module take a moment, not twelve seconds.
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
  setenv("SDL_DISKAUDIODELAY", "0", 1);
  ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
  for (const char* module : {"ingame1.s3m", "ingame2.s3m", "menu.s3m"}) {
    SCOPED_TRACE(module);
    Module file(generated(module));
    ASSERT_EQ(file.text(0x2c, 4), "SCRM");
    EXPECT_EQ(file.u8(0x1c), 0x1au);
    EXPECT_EQ(file.orders() % 2, 0u);
    // Bass, harmony, lead and percussion need several channels.
    int channels = 0;
    for (int c = 0; c < 32; ++c) channels += file.u8(0x40 + c) < 16;
    EXPECT_GE(channels, 8);

    EXPECT_GE(file.samples(), 7u);
    for (unsigned i = 0; i < file.samples(); ++i) {
      SCOPED_TRACE("sample " + std::to_string(i));
      size_t header = file.u16(0x60 + file.orders() + 2 * i) * 16;
      ASSERT_EQ(file.text(header + 0x4c, 4), "SCRS");
      unsigned length = file.u32(header + 0x10);
      size_t data = (file.u8(header + 0x0d) << 16 | file.u16(header + 0x0e)) * 16;
      EXPECT_LE(data + length * ((file.u8(header + 0x1f) & 4) ? 2 : 1), file.bytes.size());
      if (file.u8(header + 0x1f) & 1) {
        EXPECT_LT(file.u32(header + 0x14), file.u32(header + 0x18));
        EXPECT_LE(file.u32(header + 0x18), length);
      }
    }

    // One pass through the order list lasts over a minute and ends on the one pattern
    // whose last row jumps back to the first order.
    unsigned last = 0, played = 0;
    for (unsigned i = 0; i < file.orders() && file.u8(0x60 + i) < 254; ++i, ++played)
      last = file.u8(0x60 + i);
    EXPECT_GE(played * 64 * file.u8(0x31) * 2.5 / file.u8(0x32), 60.0);
    for (unsigned p = 0; p < file.patterns(); ++p)
      EXPECT_EQ(file.jumpsToStart(p), p == last ? 1 : 0) << "pattern " << p;

    // Mono is the game's default and the loudest way to mix.
    Capture capture = captureMusic(generated(module), 12.0, 44100, 1);
    ASSERT_EQ(capture.error, "");
    ASSERT_NEAR(capture.seconds(), 12.0, 0.05);
    Level whole = measure(capture.samples.data(), capture.samples.size());
    EXPECT_LT(whole.peak, 0.97);
    EXPECT_GT(whole.decibels, -30.0);
    // No second of it is silent.
    for (int second = 0; second < 12; ++second)
      EXPECT_GT(measure(capture.samples.data() + second * 44100, 44100).decibels, -40.0)
          << "second " << second;
  }
  SDL_Quit();
  setenv("SDL_AUDIODRIVER", "dummy", 1);
}

}  // namespace
