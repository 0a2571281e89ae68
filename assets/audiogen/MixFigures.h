#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// How loud and how bright a stretch of sound is, the way the mix is judged: levels in
// dB relative to full scale, and the share of the energy above a frequency.

// What the mix aims at, played through the game's mixer at its default rate.
namespace MixTarget {
constexpr double QuietestMusicDb = -20.0;  // RMS of each tune
constexpr double LoudestMusicDb = -16.0;
constexpr double MusicPeakDb = -1.0;    // loudest sample of a tune
constexpr double BrightFrom = 2000.0;   // Hz: above this lies a tune's shimmer and attack
constexpr double BrightShare = 0.10;    // least share of a tune's energy above BrightFrom
constexpr double EffectSpreadDb = 4.0;  // each effect's RMS from the in-game tunes'
// In the game itself: the loudest 50 ms of an effect against the music around it, and
// how far the music in mono and in stereo may differ.
constexpr double LeastEffectLiftDb = 4.0;
constexpr double MostEffectLiftDb = 8.0;
constexpr double ModesSpreadDb = 1.5;
}  // namespace MixTarget

struct MixFigures {
  double rmsDb = -200;
  double peakDb = -200;
  double brightShare = 0;  // of the energy, above MixTarget::BrightFrom
  bool clipped = false;    // some sample at full scale
};

// Figures of 16-bit samples (interleaved channels are taken together).
MixFigures mixFigures(const int16_t* samples, size_t count, int rate);
// RMS in dBFS of float samples (1.0 full scale).
double rmsDb(const std::vector<float>& samples);
