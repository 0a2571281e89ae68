#pragma once

#include <string>
#include <vector>

#include "S3mWriter.h"

// Turns a written-down song (chords, a melody line, a groove for each section) into
// the patterns of a tracker module. Each pattern is four bars of sixteen rows.

enum class Drums { None, Soft, Four, Break };
enum class Bass { Calm, Drive, Groove };

struct Section {
  std::vector<std::string> chords;  // four chord names, one per bar: "Am", "Fmaj7", "G"
  // 32 eighth notes: a note ("e5", "g#4"), "-" to hold, "." to let go; "|" is ignored.
  std::string melody;
  Drums drums = Drums::Four;
  Bass bass = Bass::Drive;
  bool arpeggio = true;
  bool fill = false;  // a snare run through the last half bar
};

// The instruments, in this order: bass, pad, arpeggio, lead, kick, snare, hat.
struct SongPlan {
  std::string title;
  int speed = 6;
  int tempo = 125;
  std::vector<S3mSample> instruments;
  bool sustainedLead = false;  // the lead holds until told to stop
  int leadVolume = 44;
  int padVolume = 20;
  int arpVolume = 24;
  int bassVolume = 52;
  int arpEvery = 2;       // rows between arpeggio notes
  int arpLowest = 67;     // lowest note of the arpeggio (67: the G above middle C)
  int kickPercent = 100;  // of the written kick and hat volumes
  int hatPercent = 100;
  // The overall level, in percent of every volume written. A volume goes up to
  // LayeredVolume: a part louder than one channel plays is doubled on a second channel.
  // The self-check measures what the game's mixer makes of it.
  int loudness = 150;
  std::vector<Section> sections;
  std::vector<int> order;  // sections in playing order; the song then starts over
};

// The loudest a part is written: twice what one channel of a module plays.
constexpr int LayeredVolume = 128;

// The channels of every song (loud parts add channels of their own after these).
enum Channel {
  BassCh,
  Pad1Ch,
  Pad2Ch,
  Pad3Ch,
  ArpCh,
  LeadCh,
  KickCh,
  SnareCh,
  HatCh,
  ChannelCount
};

// Builds the whole module: one pattern per order entry, the last one jumping back to
// the first so that the song loops without a gap.
S3mModule composeSong(const SongPlan& plan);

// Chord tones as pitch classes (0 = C), the root first. Throws on an unknown name.
std::vector<int> chordTones(const std::string& chord);

// MIDI-style number of a melody note such as "c5" or "g#4"; -1 when it is no note.
int melodyNote(const std::string& token);
