#include "Synth.h"

#include <algorithm>
#include <cmath>

#include "SoftKnee.h"

float Noise::next() {
  state = state * 1664525u + 1013904223u;
  return static_cast<float>(state >> 8) / static_cast<float>(1 << 23) - 1.0f;
}

double noteFrequency(double note) {
  return 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
}

int sampleCount(double seconds, int rate) {
  return static_cast<int>(std::lround(seconds * rate));
}

float LowPass::step(float input, double cutoff, int rate) {
  double k = 1.0 - std::exp(-2.0 * Pi * cutoff / rate);
  last += static_cast<float>(k) * (input - last);
  return last;
}

float peakOf(const Samples& sound) {
  float peak = 0.0f;
  for (float s : sound) peak = std::max(peak, std::fabs(s));
  return peak;
}

void normalise(Samples& sound, float peak) {
  float loudest = peakOf(sound);
  if (loudest <= 0.0f) return;
  float gain = peak / loudest;
  for (float& s : sound) s *= gain;
}

void limitPeaks(Samples& sound, float ceiling) {
  const float knee = ceiling * 2.0f / 3.0f;
  for (float& s : sound) s = std::copysign(softKnee(std::fabs(s), knee, ceiling), s);
}

void fadeEnds(Samples& sound, int rate, double fadeIn, double fadeOut) {
  int n = static_cast<int>(sound.size());
  int in = std::min(n, sampleCount(fadeIn, rate));
  int out = std::min(n, sampleCount(fadeOut, rate));
  for (int i = 0; i < in; ++i) sound[i] *= static_cast<float>(i) / in;
  for (int i = 0; i < out; ++i) sound[n - 1 - i] *= static_cast<float>(i) / out;
}

void mixInto(Samples& sound, const Samples& other, int offset, float gain) {
  if (sound.size() < other.size() + offset) sound.resize(other.size() + offset, 0.0f);
  for (size_t i = 0; i < other.size(); ++i) sound[offset + i] += gain * other[i];
}
