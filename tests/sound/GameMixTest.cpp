// The measure of the mix in the real game (tools/mix-meter), on recordings made up here:
// the music must be found wherever the game started it, an effect told apart from it and
// weighed against it, and a recording of something else refused.
#include "GameMix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace {

constexpr int Rate = 44100;

// A tune that never repeats itself: uniform noise of the given amplitude, both sides alike.
Recording noise(double seconds, double amplitude, uint32_t state, int rate = Rate) {
  Recording out;
  out.rate = rate;
  for (size_t i = 0; i < static_cast<size_t>(seconds * rate); ++i) {
    state = state * 1664525u + 1013904223u;
    const double uniform = static_cast<double>(state >> 8) / (1 << 23) - 1.0;
    const auto sample = static_cast<int16_t>(std::lround(uniform * amplitude * 32767));
    out.samples.push_back(sample);
    out.samples.push_back(sample);
  }
  return out;
}

double decibels(double level) {
  return 20 * std::log10(level);
}

}  // namespace

TEST(GameMix, FindsTheMusicWhereTheGameStartedItAndWeighsAnEffectAgainstIt) {
  constexpr double MusicLevel = 0.3, EffectLevel = 0.4;
  const Recording music = noise(12, MusicLevel, 7);
  // The menu's own tune for two seconds, then the game's music, a 100 ms tone over it at
  // five seconds into the game, and the menu's tune again after ten.
  Recording game = noise(2, MusicLevel, 99);
  game.samples.insert(game.samples.end(), music.samples.begin(),
                      music.samples.begin() + 10 * Rate * 2);
  const size_t toneAt = 7 * Rate;
  for (size_t i = 0; i < Rate / 10; ++i) {
    const auto tone = static_cast<int>(EffectLevel * 32767 * std::sin(2 * M_PI * 440 * i / Rate));
    for (size_t side = 0; side < 2; ++side) game.samples[2 * (toneAt + i) + side] += tone;
  }
  const Recording menu = noise(3, MusicLevel, 123);
  game.samples.insert(game.samples.end(), menu.samples.begin(), menu.samples.end());
  game.samples[2 * 13 * Rate] = 32767;  // one sample at full scale, back in the menu

  const GameMix mix = measureGameMix(game, music);
  ASSERT_EQ(mix.error, "");
  EXPECT_NEAR(mix.musicStart, 2.0, 0.001);
  EXPECT_NEAR(mix.playSeconds, 10.0, 0.02);
  EXPECT_NEAR(mix.musicOnlySeconds, 9.9, 0.03);
  EXPECT_NEAR(mix.musicRmsDb, decibels(MusicLevel / std::sqrt(3)), 0.1);
  EXPECT_EQ(mix.fullScale, 1u);
  ASSERT_EQ(mix.effects.size(), 1u);
  EXPECT_NEAR(mix.effects[0].at, 7.0, 0.06);
  EXPECT_NEAR(mix.effects[0].peakDb, decibels(EffectLevel / std::sqrt(2)), 0.2);
  EXPECT_NEAR(mix.medianLiftDb(),
              decibels(EffectLevel / std::sqrt(2) / (MusicLevel / std::sqrt(3))), 0.3);
}

TEST(GameMix, FindsTheMusicWhereItStartedThoughAStretchOfItComesBackLater) {
  constexpr int LowRate = 8000;  // plenty for noise, and quick
  auto append = [](Recording& to, const Recording& part) {
    to.samples.insert(to.samples.end(), part.samples.begin(), part.samples.end());
  };
  const Recording first = noise(6, 0.3, 1, LowRate), chorus = noise(14, 0.3, 2, LowRate),
                  bridge = noise(20, 0.3, 3, LowRate);
  Recording music = first;
  for (const Recording* part : {&chorus, &bridge, &chorus}) append(music, *part);
  // The game starts it after three seconds of the menu's, and the first twenty seconds of
  // play are busy with effects: the chorus is heard clearly only when it comes back.
  Recording game = noise(3, 0.3, 9, LowRate);
  append(game, music);
  const Recording busy = noise(20, 0.2, 11, LowRate);
  for (size_t i = 0; i < busy.samples.size(); ++i)
    game.samples[3 * LowRate * 2 + i] += busy.samples[i];

  const GameMix mix = measureGameMix(game, music);
  ASSERT_EQ(mix.error, "");
  EXPECT_NEAR(mix.musicStart, 3.0, 0.001);
  EXPECT_NEAR(mix.playSeconds, 54.0, 0.02);
}

TEST(GameMix, ARecordingWithoutTheMusicInItIsRefused) {
  const GameMix mix = measureGameMix(noise(15, 0.3, 5), noise(12, 0.3, 6));
  EXPECT_EQ(mix.error, "the music played alone is nowhere in the game's recording");
  EXPECT_TRUE(mix.effects.empty());
}
