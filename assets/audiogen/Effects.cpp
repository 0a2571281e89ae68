#include "Effects.h"

#include <algorithm>
#include <cmath>

#include "MixFigures.h"

namespace {

constexpr int Rate = EffectRate;
// Every effect's loudest 50 ms stand this loud, some 6 dB above the in-game music: clear of
// it without drowning it.
constexpr double EffectPeakDb = -12.5;
constexpr double ChainStartDb = EffectPeakDb - 1.0;  // the first chain sound, under the rest
constexpr double ChainStepDb = 0.3;  // each chain sound this much louder than the one before

// A sine whose frequency glides exponentially from `from` to `to`, with an
// exponential decay of the given time constant.
Samples glide(double seconds, double from, double to, double decay, double harmonics) {
  Samples out(sampleCount(seconds, Rate));
  double phase = 0.0;
  for (size_t i = 0; i < out.size(); ++i) {
    double t = static_cast<double>(i) / Rate;
    double f = from * std::pow(to / from, t / seconds);
    phase += 2.0 * Pi * f / Rate;
    double v = std::sin(phase);
    for (int h = 2; h <= 4; ++h) v += harmonics / h * std::sin(h * phase);
    out[i] = static_cast<float>(v * std::exp(-t / decay));
  }
  return out;
}

// A block of noise through a low-pass filter whose cut-off falls over time.
Samples noiseBurst(double seconds, double cutoffFrom, double cutoffTo, double decay,
                   uint32_t start) {
  Noise noise(start);
  LowPass filter;
  Samples out(sampleCount(seconds, Rate));
  for (size_t i = 0; i < out.size(); ++i) {
    double t = static_cast<double>(i) / Rate;
    double cutoff = cutoffFrom * std::pow(cutoffTo / cutoffFrom, t / seconds);
    out[i] = filter.step(noise.next(), cutoff, Rate) * static_cast<float>(std::exp(-t / decay));
  }
  return out;
}

// Brings the sound to its level and rounds off the sharpest peaks of its strike, which
// would otherwise clip against the music's own (limiting takes a little off the level,
// so both are done twice).
Samples finish(Samples sound, double fadeIn, double fadeOut, double levelDb = EffectPeakDb) {
  fadeEnds(sound, Rate, fadeIn, fadeOut);
  const float ceiling = static_cast<float>(std::pow(10.0, MixTarget::EffectCeilingDb / 20.0));
  for (int pass = 0; pass < 2; ++pass) {
    double gain = std::pow(10.0, (levelDb - loudestDb(sound, Rate)) / 20.0);
    for (float& s : sound) s = static_cast<float>(s * gain);
    limitPeaks(sound, ceiling);
  }
  return sound;
}

// Pieces landing on a column (and a menu click): a short wooden knock.
Samples makeDrop() {
  Samples knock = glide(0.11, 520.0, 240.0, 0.03, 0.3);
  mixInto(knock, noiseBurst(0.02, 4000.0, 1500.0, 0.004, 7), 0, 0.35f);
  return finish(knock, 0.002, 0.02);
}

// Lifting pieces up to the cursor: a quick rising blip.
Samples makeGrab() {
  Samples blip = glide(0.12, 330.0, 880.0, 0.06, 0.2);
  return finish(blip, 0.004, 0.03);
}

// A new row pulled in: a falling glissando over a soft rush of noise.
Samples makeSlide() {
  Samples fall = glide(0.3, 900.0, 220.0, 0.15, 0.15);
  mixInto(fall, noiseBurst(0.3, 2500.0, 400.0, 0.12, 11), 0, 0.5f);
  return finish(fall, 0.01, 0.06);
}

// A laser shot: a bright buzzing sweep from high to low with a fast wobble.
Samples makeLaser() {
  const double seconds = 0.38;
  Samples out(sampleCount(seconds, Rate));
  double phase = 0.0;
  for (size_t i = 0; i < out.size(); ++i) {
    double t = static_cast<double>(i) / Rate;
    double f =
        1800.0 * std::pow(180.0 / 1800.0, t / seconds) * (1.0 + 0.04 * std::sin(2 * Pi * 30 * t));
    phase += 2.0 * Pi * f / Rate;
    // A few odd harmonics make it buzz like a square wave without aliasing.
    double v = std::sin(phase) + std::sin(3 * phase) / 3 + std::sin(5 * phase) / 5;
    out[i] = static_cast<float>(v * std::exp(-t / 0.16));
  }
  return finish(out, 0.003, 0.05);
}

// An explosion: a low thump under a long, darkening roar of noise.
Samples makeExplode() {
  Samples roar = noiseBurst(0.9, 3500.0, 150.0, 0.25, 23);
  // A second, slower noise layer gives the rumble some body.
  Samples rumble = noiseBurst(0.9, 400.0, 80.0, 0.35, 29);
  mixInto(roar, rumble, 0, 1.5f);
  mixInto(roar, glide(0.4, 120.0, 40.0, 0.12, 0.1), 0, 0.8f);
  // Saturating the peaks makes it louder for its size, like a blast overdriving a
  // microphone.
  normalise(roar, 1.0f);
  for (float& s : roar) s = std::tanh(3.0f * s);
  // ... and two more filter stages take the fizz that adds back off the top.
  LowPass first, second;
  for (size_t i = 0; i < roar.size(); ++i) {
    double cutoff = 5000.0 * std::pow(0.08, static_cast<double>(i) / roar.size());
    roar[i] = second.step(first.step(roar[i], cutoff, Rate), cutoff, Rate);
  }
  return finish(roar, 0.003, 0.15);
}

}  // namespace

Samples makeReaction(int chain) {
  // A rising major pentatonic step per chain: C5 D5 E5 G5 A5 C6 D6.
  static const int steps[] = {72, 74, 76, 79, 81, 84, 86};
  const double base = noteFrequency(steps[chain]);
  const double seconds = 0.55;
  // Longer chains ring brighter: more and stronger upper partials.
  const double bright = 0.25 + 0.1 * chain;
  Samples out(sampleCount(seconds, Rate));
  // Two strikes: the note, then its fifth above a moment later.
  const double strikes[][2] = {{0.0, 1.0}, {0.07, 1.5}};
  for (const auto& strike : strikes) {
    int offset = sampleCount(strike[0], Rate);
    double f = base * strike[1];
    for (size_t i = offset; i < out.size(); ++i) {
      double t = static_cast<double>(i - offset) / Rate;
      // Bell-like partials, the upper ones dying away faster.
      double v = std::sin(2 * Pi * f * t) * std::exp(-t / 0.25);
      v += bright * std::sin(2 * Pi * f * 2.0 * t) * std::exp(-t / 0.12);
      v += bright * 0.6 * std::sin(2 * Pi * f * 3.01 * t) * std::exp(-t / 0.07);
      v += bright * bright * std::sin(2 * Pi * f * 4.2 * t) * std::exp(-t / 0.04);
      // A few milliseconds of attack, or the second strike would click.
      double attack = std::min(1.0, t / 0.004);
      out[i] += static_cast<float>(v * attack * (strike[1] > 1.0 ? 0.8 : 1.0));
    }
  }
  return finish(out, 0.002, 0.08, ChainStartDb + ChainStepDb * chain);
}

std::vector<Effect> makeEffects() {
  std::vector<Effect> effects;
  effects.push_back({"drop.wav", makeDrop()});
  effects.push_back({"Reaction.wav", makeReaction(0)});
  for (int chain = 1; chain <= 6; ++chain)
    effects.push_back({"Reaction" + std::to_string(chain) + ".wav", makeReaction(chain)});
  effects.push_back({"Laser.wav", makeLaser()});
  effects.push_back({"Explode.wav", makeExplode()});
  effects.push_back({"slide down.wav", makeSlide()});
  effects.push_back({"grab.wav", makeGrab()});
  return effects;
}
