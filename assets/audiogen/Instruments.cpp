#include "Instruments.h"

#include <cmath>

#include "Synth.h"

namespace {

const double MiddleC = noteFrequency(60);

// Converts a sound into 16-bit sample data, tuned so that C-4 plays `frequency` Hz
// of it as middle C.
S3mSample toSample(const char* name, Samples sound, int rate, double frequency) {
  normalise(sound, 0.9f);
  S3mSample sample;
  sample.name = name;
  sample.c2spd = static_cast<uint32_t>(std::lround(rate * MiddleC / frequency));
  sample.data.reserve(sound.size());
  for (float s : sound) sample.data.push_back(static_cast<int16_t>(std::lround(s * 32767.0f)));
  return sample;
}

// Additive synthesis of a harmonic tone whose partials fall off as 1/h^slope, each one
// decaying faster the higher it is.
Samples harmonicTone(double frequency, double seconds, int rate, int partials, double slope,
                     double decay) {
  Samples out(sampleCount(seconds, rate));
  for (int h = 1; h <= partials && h * frequency < rate / 2.0; ++h) {
    double amplitude = 1.0 / std::pow(h, slope);
    double partialDecay = decay / (1.0 + 0.5 * (h - 1));
    for (size_t i = 0; i < out.size(); ++i) {
      double t = static_cast<double>(i) / rate;
      out[i] += static_cast<float>(amplitude * std::sin(2 * Pi * h * frequency * t) *
                                   std::exp(-t / partialDecay));
    }
  }
  return out;
}

}  // namespace

S3mSample makeBass(const char* name, double brightness) {
  const int rate = 11025;
  const double frequency = noteFrequency(36);
  Samples sound = harmonicTone(frequency, 1.4, rate, 12, 2.0 - brightness, 0.45);
  fadeEnds(sound, rate, 0.003, 0.2);
  return toSample(name, sound, rate, frequency);
}

S3mSample makePad(const char* name, double brightness) {
  // The loop holds a whole number of cycles of every partial, so it repeats without a
  // seam; the partials are detuned by one cycle per loop either way, which makes the
  // slow beating of a string section.
  const int rate = 22050;
  const int loopLength = 16384;
  const int cycles = static_cast<int>(std::lround(MiddleC * loopLength / rate));
  const double frequency = static_cast<double>(cycles) * rate / loopLength;
  const int attack = sampleCount(0.12, rate);
  Samples sound(attack + loopLength);
  for (int h = 1; h <= 6; ++h) {
    double amplitude = std::pow(brightness, h - 1) / h;
    for (int voice = -1; voice <= 1; ++voice) {
      double f = static_cast<double>(h * cycles + voice * h) * rate / loopLength;
      double phase = 1.3 * h + 2.1 * voice;
      for (size_t i = 0; i < sound.size(); ++i)
        sound[i] += static_cast<float>(amplitude * std::sin(2 * Pi * f * i / rate + phase));
    }
  }
  for (int i = 0; i < attack; ++i) sound[i] *= static_cast<float>(i) / attack;
  S3mSample sample = toSample(name, sound, rate, frequency);
  sample.loop = true;
  sample.loopStart = static_cast<uint32_t>(attack);
  sample.loopEnd = static_cast<uint32_t>(attack + loopLength);
  return sample;
}

S3mSample makePluck(const char* name, double decay, double brightness, bool bell) {
  const int rate = 22050;
  const double frequency = MiddleC;
  const double seconds = decay * 4.0;
  Samples sound = harmonicTone(frequency, seconds, rate, 10, 2.5 - brightness, decay);
  if (bell) {
    // Struck-metal partials above the fundamental, short-lived.
    const double ratios[] = {2.76, 5.40, 8.93};
    for (double ratio : ratios) {
      for (size_t i = 0; i < sound.size(); ++i) {
        double t = static_cast<double>(i) / rate;
        sound[i] += static_cast<float>(0.3 * std::sin(2 * Pi * frequency * ratio * t) *
                                       std::exp(-t / (decay * 0.3)));
      }
    }
  }
  fadeEnds(sound, rate, 0.002, seconds * 0.3);
  return toSample(name, sound, rate, frequency);
}

S3mSample makeLead(const char* name) {
  // One loop of 64 periods: a band-limited, slightly hollow square wave with a soft
  // attack and a touch of breath noise on the way in.
  const int rate = 22050;
  const int period = 84;
  const int periods = 64;
  const double frequency = static_cast<double>(rate) / period;
  const int attack = sampleCount(0.03, rate) / period * period;
  const int loopLength = period * periods;
  Samples sound(attack + loopLength);
  for (int h = 1; h * frequency < rate / 2.5; ++h) {
    double amplitude = (h % 2 ? 1.0 : 0.3) / h;
    for (size_t i = 0; i < sound.size(); ++i)
      sound[i] += static_cast<float>(amplitude * std::sin(2 * Pi * h * frequency * i / rate));
  }
  Noise breath(5);
  for (int i = 0; i < attack; ++i) {
    float ramp = static_cast<float>(i) / attack;
    sound[i] = sound[i] * ramp + 0.2f * breath.next() * (1.0f - ramp) * ramp;
  }
  S3mSample sample = toSample(name, sound, rate, frequency);
  sample.loop = true;
  sample.loopStart = static_cast<uint32_t>(attack);
  sample.loopEnd = static_cast<uint32_t>(attack + loopLength);
  return sample;
}

S3mSample makeKick(const char* name) {
  const int rate = 22050;
  Samples sound(sampleCount(0.35, rate));
  double phase = 0.0;
  for (size_t i = 0; i < sound.size(); ++i) {
    double t = static_cast<double>(i) / rate;
    double f = 45.0 + 110.0 * std::exp(-t / 0.03);
    phase += 2 * Pi * f / rate;
    sound[i] = static_cast<float>(std::sin(phase) * std::exp(-t / 0.12));
  }
  fadeEnds(sound, rate, 0.001, 0.05);
  return toSample(name, sound, rate, MiddleC);
}

S3mSample makeSnare(const char* name) {
  const int rate = 22050;
  Noise noise(17);
  LowPass body;
  Samples sound(sampleCount(0.25, rate));
  for (size_t i = 0; i < sound.size(); ++i) {
    double t = static_cast<double>(i) / rate;
    float rattle = body.step(noise.next(), 6000.0, rate) * static_cast<float>(std::exp(-t / 0.06));
    float tone = static_cast<float>(0.6 * std::sin(2 * Pi * 185.0 * t) * std::exp(-t / 0.04));
    sound[i] = rattle + tone;
  }
  fadeEnds(sound, rate, 0.001, 0.04);
  return toSample(name, sound, rate, MiddleC);
}

S3mSample makeHat(const char* name, double decay) {
  const int rate = 22050;
  Noise noise(31);
  LowPass low;
  Samples sound(sampleCount(decay * 5.0, rate));
  for (size_t i = 0; i < sound.size(); ++i) {
    double t = static_cast<double>(i) / rate;
    float n = noise.next();
    // What is left after taking the lows away: a thin, metallic hiss.
    float high = n - low.step(n, 5000.0, rate);
    sound[i] = high * static_cast<float>(std::exp(-t / decay));
  }
  fadeEnds(sound, rate, 0.0005, decay);
  return toSample(name, sound, rate, MiddleC);
}
