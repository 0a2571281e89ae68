#pragma once

#include <cstdint>
#include <vector>

// Small building blocks for the game's synthesised audio. Everything is deterministic:
// the noise comes from our own generator, never from the clock.

using Samples = std::vector<float>;

constexpr double Pi = 3.14159265358979323846;

// A linear congruential generator, so that every build writes the same bytes.
class Noise {
public:
  explicit Noise(uint32_t start) : state(start) {}
  // Uniform in [-1, 1).
  float next();

private:
  uint32_t state;
};

// Frequency of a MIDI-style note number (60 = middle C, 69 = A 440 Hz).
double noteFrequency(double note);

// Seconds to whole samples at a rate.
int sampleCount(double seconds, int rate);

// A one-pole low-pass filter whose cut-off may move from sample to sample.
class LowPass {
public:
  float step(float input, double cutoff, int rate);

private:
  float last = 0.0f;
};

// Scales the whole sound so that its loudest sample reaches `peak` (0..1).
void normalise(Samples& sound, float peak);

// Rounds off the peaks above two thirds of `ceiling` so that none reaches it; everything
// quieter passes untouched.
void limitPeaks(Samples& sound, float ceiling);

// Short linear ramps at both ends, so that the sound starts and stops without a click.
void fadeEnds(Samples& sound, int rate, double fadeIn, double fadeOut);

// Mixes `other` into `sound` from sample `offset` on, growing `sound` when needed.
void mixInto(Samples& sound, const Samples& other, int offset, float gain);

// Peak absolute value.
float peakOf(const Samples& sound);
