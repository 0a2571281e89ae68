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
constexpr double MusicPeakDb = -1.0;   // loudest sample of a tune
constexpr double LoudShare = 1e-4;     // of a tune's samples: its rare loudest moments
constexpr double BrightFrom = 2000.0;  // Hz: above this lies a tune's shimmer and attack
constexpr double BrightShare = 0.10;   // least share of a tune's energy above BrightFrom
// An effect's loudest stretch of this many seconds (its peak, as the ear takes it) stands
// this far above the music around it: clear of it, without drowning it.
constexpr double LoudestSeconds = 0.05;
constexpr double LeastEffectLiftDb = 4.0;
constexpr double MostEffectLiftDb = 8.0;
constexpr double ModesSpreadDb = 1.5;  // the music in mono against stereo
// No effect's sample goes above this, so that one sounding over all but the music's rarest
// loudest moments (LoudShare) stays below full scale.
constexpr double EffectCeilingDb = -8.0;
}  // namespace MixTarget

struct MixFigures {
  double rmsDb = -200;
  double peakDb = -200;
  double loudDb = -200;    // what only one sample in LoudShare goes above
  double brightShare = 0;  // of the energy, above MixTarget::BrightFrom
  bool clipped = false;    // some sample at full scale
};

// Figures of 16-bit samples (interleaved channels are taken together).
MixFigures mixFigures(const int16_t* samples, size_t count, int rate);
// RMS in dBFS of the loudest MixTarget::LoudestSeconds of float samples (1.0 full scale).
double loudestDb(const std::vector<float>& samples, int rate);
