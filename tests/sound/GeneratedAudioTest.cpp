// Self-checks of the sound generator, on the files the game plays: effects and music
// that start and stop without a click, never clip, are never silent, chain sounds that
// climb, and modules a tracker reads and that loop back to their start.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "MusicCapture.h"

namespace {

std::string generated(const std::string& file) {
  return std::string(PIGMORA_DATA_DIR) + "/Sounds/" + file;
}

struct Level {
  double peak = 0, decibels = -180;  // of full scale; loudness (RMS) against full scale
};

Level measure(const int16_t* samples, size_t count) {
  Level level;
  double sum = 0;
  for (size_t i = 0; i < count; ++i) {
    level.peak = std::max(level.peak, std::abs(samples[i]) / 32767.0);
    sum += double(samples[i]) * samples[i];
  }
  if (sum > 0) level.decibels = 20 * std::log10(std::sqrt(sum / count) / 32767);
  return level;
}

// A module's bytes, read the way a tracker does.
struct Module {
  std::vector<unsigned char> bytes;
  unsigned u8(size_t at) const { return at < bytes.size() ? bytes[at] : 0; }
  unsigned u16(size_t at) const { return u8(at) | u8(at + 1) << 8; }
  unsigned orders() const { return u16(0x20); }
  // Unpacks a pattern: -1 when its rows do not end where its length says, else whether
  // it holds a jump to the first order.
  int jumpsToStart(unsigned index) const {
    size_t at = u16(0x60 + orders() + 2 * u16(0x22) + 2 * index) * 16, end = at + u16(at);
    bool jumps = false;
    at += 2;
    for (int row = 0; row < 64; ++row)
      for (unsigned what = u8(at++); what != 0 && at <= end; what = u8(at++)) {
        at += ((what & 0x20) ? 2 : 0) + ((what & 0x40) ? 1 : 0);
        if (what & 0x80) jumps |= u8(at) == 2 && u8(at + 1) == 0, at += 2;
      }
    return at == end ? jumps : -1;
  }
};

}  // namespace

TEST(GeneratedEffects, StartAndEndSilentNeverClipAndChainSoundsClimb) {
  ASSERT_EQ(SDL_Init(SDL_INIT_TIMER), 0) << SDL_GetError();
  ASSERT_EQ(Mix_OpenAudio(22050, AUDIO_S16SYS, 1, 1024), 0) << Mix_GetError();
  double previousPitch = 0;
  for (std::string file : {"drop.wav", "grab.wav", "slide down.wav", "Laser.wav", "Explode.wav",
                           "Reaction.wav", "Reaction1.wav", "Reaction2.wav", "Reaction3.wav",
                           "Reaction4.wav", "Reaction5.wav", "Reaction6.wav"}) {
    SCOPED_TRACE(file);
    Mix_Chunk* chunk = Mix_LoadWAV(generated(file).c_str());
    ASSERT_NE(chunk, nullptr) << Mix_GetError();
    std::vector<int16_t> sound(reinterpret_cast<int16_t*>(chunk->abuf),
                               reinterpret_cast<int16_t*>(chunk->abuf + chunk->alen));
    Mix_FreeChunk(chunk);
    ASSERT_GT(sound.size(), 1000u);
    Level level = measure(sound.data(), sound.size());
    EXPECT_LT(level.peak, 0.95);
    EXPECT_GT(level.decibels, -30.0);
    EXPECT_LT(std::abs(sound.front()), 327);  // starting or stopping away from zero clicks
    EXPECT_LT(std::abs(sound.back()), 327);
    if (file.rfind("Reaction", 0) != 0) continue;
    // Zero crossings per sample follow the pitch (and brightness) of a tone.
    int crossings = 0;
    for (size_t i = 1; i < sound.size(); ++i) crossings += (sound[i - 1] < 0) != (sound[i] < 0);
    double pitch = double(crossings) / sound.size();
    EXPECT_GT(pitch, previousPitch * 1.05);
    previousPitch = pitch;
  }
  Mix_CloseAudio();
  SDL_Quit();
}

TEST(GeneratedMusic, ModulesLoopToTheirStartAndPlayLoudWithoutClippingOrSilence) {
  // The disk driver with no delay mixes as fast as it can.
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
  setenv("SDL_DISKAUDIODELAY", "0", 1);
  ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
  for (const char* name : {"ingame1.s3m", "ingame2.s3m", "menu.s3m"}) {
    SCOPED_TRACE(name);
    std::ifstream in(generated(name), std::ios::binary);
    Module file{{std::istreambuf_iterator<char>(in), {}}};
    ASSERT_EQ(std::string(file.bytes.begin() + 0x2c, file.bytes.begin() + 0x30), "SCRM");
    // Only the last pattern played jumps, and back to the first order.
    unsigned last = 0;
    for (unsigned i = 0; i < file.orders() && file.u8(0x60 + i) < 254; ++i)
      last = file.u8(0x60 + i);
    for (unsigned p = 0; p < file.u16(0x24); ++p)
      EXPECT_EQ(file.jumpsToStart(p), p == last ? 1 : 0) << "pattern " << p;

    Capture capture = captureMusic(generated(name), 12.0, 44100, 1);  // mono: the loudest
    ASSERT_EQ(capture.error, "");
    ASSERT_NEAR(capture.seconds(), 12.0, 0.05);
    EXPECT_LT(measure(capture.samples.data(), capture.samples.size()).peak, 0.97);
    for (int second = 0; second < 12; ++second)
      EXPECT_GT(measure(capture.samples.data() + second * 44100, 44100).decibels, -40.0) << second;
  }
  SDL_Quit();
  setenv("SDL_AUDIODRIVER", "dummy", 1);
}
