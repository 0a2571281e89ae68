#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The game's sound output as a player hears it, taken apart: the music found sample for
// sample in a recording of a game, the effects as what is left over, and how they sit
// together.

// What SDL's disk driver writes: sdl12-compat opens the device with two channels at least,
// whatever the game asks for, so mono output is written as two equal sides.
struct Recording {
  int rate = 0;
  std::vector<int16_t> samples;  // interleaved left, right
  size_t frames() const { return samples.size() / 2; }
};

// Reads a raw recording of 16-bit little-endian stereo frames; false, with the reason,
// when it cannot be read.
bool readRecording(const std::string& path, int rate, Recording& out, std::string& error);

struct EffectHeard {
  double at = 0;          // seconds into the recording, its loudest moment
  double peakDb = -200;   // the loudest 50 ms of the effect alone, RMS
  double musicDb = -200;  // the music alone over the second around that moment, RMS
  double liftDb() const { return peakDb - musicDb; }
};

struct GameMix {
  std::string error;            // empty when the music was found in the recording
  double musicStart = 0;        // seconds into the recording
  double playSeconds = 0;       // from there on, as long as the music is the module's
  double musicOnlySeconds = 0;  // of that, with no effect sounding
  double musicRmsDb = -200;     // the recording where only music sounds
  double peakDb = -200;         // the whole recording
  size_t fullScale = 0;         // samples at full scale in the whole recording
  std::vector<EffectHeard> effects;
  double medianLiftDb() const;
};

// Finds `music` (the module as the game's sound code plays it alone, from its start) in
// `game` (a recording of the game's output at the same rate), and measures the mix.
GameMix measureGameMix(const Recording& game, const Recording& music);
