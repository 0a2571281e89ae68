#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Our own writer of Scream Tracker 3 modules (.s3m), the tracker format the game's
// music plays from. It writes 16-bit samples and packed patterns of 64 rows.

constexpr int S3mRows = 64;
constexpr uint8_t S3mNoNote = 255;
constexpr uint8_t S3mNoteCut = 254;
constexpr uint8_t S3mNoVolume = 255;

struct S3mSample {
  std::string name;
  std::vector<int16_t> data;
  bool loop = false;
  uint32_t loopStart = 0;
  uint32_t loopEnd = 0;
  uint8_t volume = 64;    // default volume 0..64
  uint32_t c2spd = 8363;  // playback rate of the note C-4
};

struct S3mCell {
  uint8_t note = S3mNoNote;  // high nibble octave, low nibble semitone
  uint8_t instrument = 0;    // 1-based, 0 none
  uint8_t volume = S3mNoVolume;
  uint8_t command = 0;  // 1 = A, 2 = B ...; 0 none
  uint8_t info = 0;
};

struct S3mPattern {
  explicit S3mPattern(int channels) : cells(S3mRows, std::vector<S3mCell>(channels)) {}
  std::vector<std::vector<S3mCell>> cells;  // [row][channel]
};

struct S3mModule {
  std::string title;
  uint8_t speed = 6;    // ticks per row
  uint8_t tempo = 125;  // beats per minute, a tick lasting 2.5 / tempo seconds
  uint8_t globalVolume = 64;
  std::vector<uint8_t> pan;  // one per channel, 0 (left) .. 15 (right)
  std::vector<S3mSample> samples;
  std::vector<S3mPattern> patterns;
  std::vector<uint8_t> orders;
};

// A note number in the writer's terms from a MIDI-style number (60 = C-4).
uint8_t s3mNote(int midi);

// The complete file image.
std::string encodeS3m(const S3mModule& module);

// Seconds one pass through the order list lasts, counting speed and tempo only.
double s3mDuration(const S3mModule& module);
