#include "Composer.h"

#include <algorithm>
#include <sstream>
#include <stdexcept>

namespace {

enum Instrument { BassIns = 1, PadIns, ArpIns, LeadIns, KickIns, SnareIns, HatIns };

constexpr int RowsPerBar = 16;
// The loudest one channel plays a note; a part written louder is doubled (layerLoudParts).
constexpr int ChannelVolume = 64;
constexpr uint8_t VolumeSlide = 4;   // D
constexpr uint8_t Vibrato = 8;       // H
constexpr uint8_t PositionJump = 2;  // B

int pitchClass(char letter) {
  switch (letter) {
    case 'c':
    case 'C':
      return 0;
    case 'd':
    case 'D':
      return 2;
    case 'e':
    case 'E':
      return 4;
    case 'f':
    case 'F':
      return 5;
    case 'g':
    case 'G':
      return 7;
    case 'a':
    case 'A':
      return 9;
    case 'b':
    case 'B':
      return 11;
  }
  return -1;
}

// Puts a pitch class into the octave that starts at `low`.
int placeAbove(int pc, int low) {
  return low + ((pc - low) % 12 + 12) % 12;
}

void setNote(S3mPattern& p, int row, int channel, int midi, int instrument, int volume) {
  S3mCell& cell = p.cells[row][channel];
  cell.note = s3mNote(midi);
  cell.instrument = static_cast<uint8_t>(instrument);
  cell.volume = static_cast<uint8_t>(std::min(LayeredVolume, volume));
}

std::vector<std::string> tokens(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  std::string token;
  while (in >> token)
    if (token != "|") out.push_back(token);
  return out;
}

void writeBass(S3mPattern& p, int bar, const std::vector<int>& tones, Bass style, int volume) {
  int root = placeAbove(tones[0], 33);
  // Row in the bar -> interval above the root, with a relative accent.
  struct Hit {
    int row, interval, accent;
  };
  static const std::vector<Hit> calm = {{0, 0, 100}, {8, 7, 75}, {12, 12, 60}};
  static const std::vector<Hit> drive = {{0, 0, 100}, {2, 0, 70},  {4, 12, 85},  {6, 0, 70},
                                         {8, 0, 95},  {10, 0, 70}, {12, 12, 85}, {14, 7, 75}};
  static const std::vector<Hit> groove = {{0, 0, 100}, {3, 0, 75},   {6, 12, 85}, {8, 0, 95},
                                          {10, 7, 80}, {12, 12, 85}, {14, 7, 70}};
  const auto& hits = style == Bass::Calm ? calm : style == Bass::Drive ? drive : groove;
  for (const Hit& hit : hits)
    setNote(p, bar * RowsPerBar + hit.row, BassCh, root + hit.interval, BassIns,
            volume * hit.accent / 100);
}

void writeDrums(S3mPattern& p, int bar, Drums style, bool fill, const SongPlan& plan) {
  int base = bar * RowsPerBar;
  auto hit = [&](int row, int channel, int instrument, int volume) {
    int percent = channel == KickCh ? plan.kickPercent : channel == HatCh ? plan.hatPercent : 100;
    setNote(p, base + row, channel, 60, instrument, volume * percent / 100);
  };
  switch (style) {
    case Drums::None:
      return;
    case Drums::Soft:
      hit(0, KickCh, KickIns, 40);
      hit(10, KickCh, KickIns, 24);
      hit(12, SnareCh, SnareIns, 14);
      for (int row = 2; row < 16; row += 2) hit(row, HatCh, HatIns, row % 4 ? 8 : 14);
      break;
    case Drums::Four:
      for (int row = 0; row < 16; row += 4) hit(row, KickCh, KickIns, 60);
      hit(4, SnareCh, SnareIns, 44);
      hit(12, SnareCh, SnareIns, 44);
      for (int row = 0; row < 16; row += 2) hit(row, HatCh, HatIns, row % 4 ? 30 : 14);
      break;
    case Drums::Break:
      hit(0, KickCh, KickIns, 62);
      hit(7, KickCh, KickIns, 44);
      hit(10, KickCh, KickIns, 54);
      hit(4, SnareCh, SnareIns, 46);
      hit(12, SnareCh, SnareIns, 46);
      hit(15, SnareCh, SnareIns, 12);
      for (int row = 0; row < 16; ++row) hit(row, HatCh, HatIns, row % 2 ? 12 : 24);
      break;
  }
  if (fill && bar == 3) {
    static const int rows[] = {8, 10, 12, 13, 14, 15};
    int volume = 26;
    for (int row : rows) {
      hit(row, SnareCh, SnareIns, volume);
      volume += 6;
    }
  }
}

void writeArpeggio(S3mPattern& p, int bar, const std::vector<int>& tones, const SongPlan& plan) {
  const int every = plan.arpEvery, volume = plan.arpVolume;
  std::vector<int> notes;
  for (size_t i = 0; i < tones.size() && i < 3; ++i)
    notes.push_back(placeAbove(tones[i], plan.arpLowest));
  notes.push_back(notes[0] + 12);
  static const int walk[] = {0, 1, 2, 3, 2, 1, 2, 1};
  int step = 0;
  for (int row = 0; row < RowsPerBar; row += every, ++step) {
    int accent = row % 4 == 0 ? 100 : 70;
    setNote(p, bar * RowsPerBar + row, ArpCh, notes[walk[step % 8]], ArpIns, volume * accent / 100);
  }
}

// Holds the pad's chord; a voice is struck again only when its note changes.
void writePad(S3mPattern& p, int bar, const std::vector<int>& tones, int volume,
              std::vector<int>& sounding) {
  // Seventh chords leave the root to the bass and voice the upper three tones.
  size_t first = tones.size() > 3 ? 1 : 0;
  for (int voice = 0; voice < 3; ++voice) {
    int note = placeAbove(tones[first + voice], 55);
    if (sounding[voice] == note) continue;
    sounding[voice] = note;
    setNote(p, bar * RowsPerBar, Pad1Ch + voice, note, PadIns, volume);
  }
}

void writeMelody(S3mPattern& p, const std::string& melody, const SongPlan& plan,
                 bool& leadSounding) {
  std::vector<std::string> steps = tokens(melody);
  if (steps.empty()) {
    if (leadSounding) p.cells[0][LeadCh].command = VolumeSlide, p.cells[0][LeadCh].info = 0x0c;
    leadSounding = false;
    return;
  }
  if (steps.size() != 32) throw std::runtime_error("a melody needs 32 steps: " + melody);
  for (int step = 0; step < 32; ++step) {
    int row = step * 2;
    const std::string& token = steps[step];
    if (token == "-") {
      if (plan.sustainedLead && leadSounding) {
        p.cells[row][LeadCh].command = Vibrato;
        p.cells[row][LeadCh].info = 0x51;
        p.cells[row + 1][LeadCh].command = Vibrato;
        p.cells[row + 1][LeadCh].info = 0x51;
      }
    } else if (token == ".") {
      if (plan.sustainedLead && leadSounding) {
        p.cells[row][LeadCh].command = VolumeSlide;
        p.cells[row][LeadCh].info = 0x0c;
      }
      leadSounding = false;
    } else {
      int note = melodyNote(token);
      if (note < 0) throw std::runtime_error("not a note: " + token);
      setNote(p, row, LeadCh, note, LeadIns, plan.leadVolume);
      leadSounding = true;
    }
  }
}

// A part written louder than one channel plays is played by two: a second channel at the
// same place in the stereo field strikes every note with it, the volume split between
// them, and adds up to what was written.
void layerLoudParts(S3mModule& module) {
  const size_t parts = module.pan.size();
  for (size_t part = 0; part < parts; ++part) {
    bool loud = false;
    for (const S3mPattern& pattern : module.patterns)
      for (const auto& row : pattern.cells)
        loud |= row[part].volume != S3mNoVolume && row[part].volume > ChannelVolume;
    if (!loud) continue;
    module.pan.push_back(module.pan[part]);
    for (S3mPattern& pattern : module.patterns)
      for (auto& row : pattern.cells) {
        S3mCell twin = row[part];
        if (twin.volume != S3mNoVolume) {
          row[part].volume = static_cast<uint8_t>((twin.volume + 1) / 2);
          twin.volume = static_cast<uint8_t>(twin.volume / 2);
        }
        row.push_back(twin);
      }
  }
}

}  // namespace

std::vector<int> chordTones(const std::string& chord) {
  if (chord.empty() || pitchClass(chord[0]) < 0) throw std::runtime_error("chord: " + chord);
  int root = pitchClass(chord[0]);
  std::string suffix = chord.substr(1);
  if (!suffix.empty() && (suffix[0] == '#' || suffix[0] == 'b')) {
    root = (root + (suffix[0] == '#' ? 1 : 11)) % 12;
    suffix = suffix.substr(1);
  }
  std::vector<int> intervals;
  if (suffix.empty())
    intervals = {0, 4, 7};
  else if (suffix == "m")
    intervals = {0, 3, 7};
  else if (suffix == "7")
    intervals = {0, 4, 7, 10};
  else if (suffix == "m7")
    intervals = {0, 3, 7, 10};
  else if (suffix == "maj7")
    intervals = {0, 4, 7, 11};
  else if (suffix == "sus4")
    intervals = {0, 5, 7};
  else
    throw std::runtime_error("chord: " + chord);
  std::vector<int> tones;
  for (int interval : intervals) tones.push_back((root + interval) % 12);
  return tones;
}

int melodyNote(const std::string& token) {
  if (token.size() < 2 || pitchClass(token[0]) < 0) return -1;
  int pc = pitchClass(token[0]);
  size_t at = 1;
  if (token[at] == '#') pc += 1, ++at;
  if (at + 1 != token.size() || token[at] < '0' || token[at] > '9') return -1;
  return (token[at] - '0' + 1) * 12 + pc;
}

S3mModule composeSong(const SongPlan& plan) {
  S3mModule module;
  module.title = plan.title;
  module.speed = static_cast<uint8_t>(plan.speed);
  module.tempo = static_cast<uint8_t>(plan.tempo);
  module.samples = plan.instruments;
  // Bass, kick and snare in the middle; pads spread; arpeggio and lead either side.
  module.pan = {7, 3, 12, 8, 10, 5, 7, 8, 10};

  std::vector<int> padSounding(3, -1);
  bool leadSounding = false;
  for (size_t entry = 0; entry < plan.order.size(); ++entry) {
    const Section& section = plan.sections.at(plan.order[entry]);
    if (section.chords.size() != 4) throw std::runtime_error("a section has four bars");
    S3mPattern pattern(ChannelCount);
    for (int bar = 0; bar < 4; ++bar) {
      std::vector<int> tones = chordTones(section.chords[bar]);
      writeBass(pattern, bar, tones, section.bass, plan.bassVolume);
      writePad(pattern, bar, tones, plan.padVolume, padSounding);
      if (section.arpeggio) writeArpeggio(pattern, bar, tones, plan);
      writeDrums(pattern, bar, section.drums, section.fill, plan);
    }
    writeMelody(pattern, section.melody, plan, leadSounding);
    module.patterns.push_back(pattern);
    module.orders.push_back(static_cast<uint8_t>(entry));
  }
  for (S3mPattern& pattern : module.patterns)
    for (auto& row : pattern.cells)
      for (S3mCell& cell : row)
        if (cell.volume != S3mNoVolume)
          cell.volume =
              static_cast<uint8_t>(std::min(LayeredVolume, cell.volume * plan.loudness / 100));
  layerLoudParts(module);
  // Back to the top from the very last row; the kick's channel carries no effects.
  S3mCell& last = module.patterns.back().cells[S3mRows - 1][KickCh];
  last.command = PositionJump;
  last.info = 0;
  return module;
}
