#include "Songs.h"

#include "Instruments.h"

namespace {

Section section(std::vector<std::string> chords, std::string melody, Drums drums, Bass bass,
                bool arpeggio = true, bool fill = false) {
  Section s;
  s.chords = std::move(chords);
  s.melody = std::move(melody);
  s.drums = drums;
  s.bass = bass;
  s.arpeggio = arpeggio;
  s.fill = fill;
  return s;
}

}  // namespace

SongPlan ingameOne() {
  // A minor, driving eighths, a bell-like lead.
  SongPlan plan;
  plan.title = "Pigmora - Chain Reaction";
  plan.tempo = 140;
  plan.instruments = {makeBass("Bass", 0.6),
                      makePad("Strings", 0.45),
                      makePluck("Pluck", 0.18, 1.6, false),
                      makePluck("Bell lead", 0.5, 1.4, true),
                      makeKick("Kick"),
                      makeSnare("Snare"),
                      makeHat("Hat", 0.1)};
  plan.leadVolume = 44;
  plan.arpVolume = 26;
  plan.bassVolume = 32;
  plan.padVolume = 18;
  plan.kickPercent = 60;
  plan.hatPercent = 200;
  plan.loudness = 180;
  const std::vector<std::string> verse = {"Am", "F", "C", "G"};
  const std::vector<std::string> chorus = {"F", "G", "Em", "Am"};
  plan.sections = {
      section(verse, "", Drums::Four, Bass::Drive, true, true),
      section(verse,
              "e5 - a5 - b5 c6 b5 a5 | c6 - a5 - f5 - a5 - | g5 - e5 - c5 - e5 g5 | "
              "b5 - a5 - g5 - d5 - ",
              Drums::Four, Bass::Drive),
      section(verse,
              "e5 - a5 - b5 c6 d6 e6 | f6 - e6 - c6 - a5 - | g5 - c6 - e6 - d6 c6 | "
              "b5 - - - g5 - b5 - ",
              Drums::Four, Bass::Drive, true, true),
      section(chorus,
              "a5 - c6 - f6 - e6 - | d6 - b5 - g5 - d6 - | e6 - b5 - g5 - b5 - | "
              "a5 - - - e5 - - - ",
              Drums::Break, Bass::Groove),
      section(chorus,
              "c6 - a5 c6 f6 e6 c6 a5 | b5 - g5 b5 d6 c6 b5 g5 | b5 - e6 - g6 - e6 - | "
              "a6 - - - - - - - ",
              Drums::Break, Bass::Groove, true, true),
      section({"Dm", "Am", "Dm", "E"},
              "d5 - f5 - a5 - f5 - | e5 - a5 - c6 - a5 - | "
              "f5 - a5 - d6 - c6 a5 | g#5 - b5 - e6 - - - ",
              Drums::Soft, Bass::Calm, false),
      section({"Dm", "Am", "F", "E"},
              "f5 - a5 - d6 - f6 - | e6 - c6 - a5 - e5 - | "
              "f5 - a5 - c6 - f6 - | e6 - d6 - b5 - g#5 - ",
              Drums::Four, Bass::Drive, true, true),
  };
  plan.order = {0, 1, 2, 3, 4, 5, 6, 1, 2, 3, 4};
  return plan;
}

SongPlan ingameTwo() {
  // E minor, syncopated and a little faster, a reedy held lead with vibrato.
  SongPlan plan;
  plan.title = "Pigmora - Head to Head";
  plan.tempo = 150;
  plan.instruments = {
      makeBass("Bass", 0.8), makePad("Strings", 0.55), makePluck("Pluck", 0.12, 1.6, false),
      makeLead("Reed lead"), makeKick("Kick"),         makeSnare("Snare"),
      makeHat("Hat", 0.08)};
  plan.sustainedLead = true;
  plan.leadVolume = 42;
  plan.arpVolume = 22;
  plan.bassVolume = 34;
  plan.padVolume = 14;
  plan.kickPercent = 60;
  plan.hatPercent = 180;
  plan.loudness = 138;
  plan.arpEvery = 1;
  const std::vector<std::string> verse = {"Em", "D", "C", "D"};
  const std::vector<std::string> chorus = {"C", "D", "Bm", "Em"};
  plan.sections = {
      section(verse, "", Drums::Break, Bass::Groove, true, true),
      section(verse,
              "b4 - e5 - g5 - b5 a5 | - - f#5 - d5 - a5 - | g5 - e5 - c5 - e5 g5 | "
              "f#5 - - - d5 e5 f#5 a5",
              Drums::Break, Bass::Groove),
      section(verse,
              "b4 - e5 - g5 - b5 - | d6 - c6 b5 a5 - f#5 - | g5 - c6 - e6 - d6 c6 | "
              "b5 - a5 - f#5 - . - ",
              Drums::Break, Bass::Groove, true, true),
      section(chorus,
              "e5 - g5 - c6 - b5 - | a5 - f#5 - d5 - f#5 a5 | b5 - - - f#5 - d5 - | "
              "e5 - - - b4 - e5 - ",
              Drums::Four, Bass::Drive),
      section(chorus,
              "g5 - c6 - e6 - c6 - | f#6 - d6 - a5 - d6 - | b5 - d6 - f#6 - d6 - | "
              "e6 - - - - - . - ",
              Drums::Four, Bass::Drive, true, true),
      section({"Am", "Em", "Am", "B"},
              "a5 - c6 - e6 - c6 - | b5 - g5 - e5 - g5 - | "
              "a5 - c6 - e6 - a6 - | f#6 - d#6 - b5 - . - ",
              Drums::Soft, Bass::Calm, false),
      section({"Am", "Em", "C", "B"},
              "e6 - - c6 a5 - c6 e6 | g6 - - e6 b5 - g5 - | "
              "c6 - e6 - g6 - e6 c6 | b5 - f#5 - d#5 - b4 . ",
              Drums::Break, Bass::Groove, true, true),
  };
  plan.order = {0, 1, 2, 3, 4, 5, 6, 1, 2, 3, 4};
  return plan;
}

SongPlan menuSong() {
  // C major, slow, soft pads under a sparse bell tune.
  SongPlan plan;
  plan.title = "Pigmora - Front Porch";
  plan.tempo = 96;
  plan.instruments = {makeBass("Bass", 0.3),
                      makePad("Warm pad", 1.0),
                      makePluck("Harp", 0.35, 2.0, false),
                      makePluck("Bell", 0.8, 2.0, true),
                      makeKick("Soft kick"),
                      makeSnare("Rim"),
                      makeHat("Shaker", 0.12)};
  plan.leadVolume = 34;
  plan.padVolume = 16;
  plan.arpVolume = 28;
  plan.arpLowest = 72;
  plan.bassVolume = 12;
  plan.kickPercent = 0;
  plan.hatPercent = 400;
  plan.loudness = 330;
  const std::vector<std::string> home = {"Cmaj7", "Am7", "Fmaj7", "G"};
  const std::vector<std::string> away = {"Fmaj7", "Em7", "Dm7", "G"};
  plan.sections = {
      section(home, "", Drums::None, Bass::Calm),
      section(home,
              "e5 - - - g5 - - - | c6 - - - b5 - a5 - | a5 - - - - - c6 - | "
              "b5 - - - d5 - - - ",
              Drums::Soft, Bass::Calm),
      section(away,
              "a5 - - - c6 - - - | b5 - - - g5 - - - | f5 - - - a5 - d6 - | "
              "d6 - - - b5 - - - ",
              Drums::Soft, Bass::Calm),
      section(home,
              "e5 - - - g5 - c6 - | e6 - - - d6 - c6 - | c6 - - - a5 - f5 - | "
              "g5 - - - - - - - ",
              Drums::Soft, Bass::Calm),
      section(away,
              "a5 - - - c6 - f6 - | e6 - - - d6 - b5 - | a5 - - - f5 - a5 - | "
              "g5 - - - f5 - d5 - ",
              Drums::Soft, Bass::Calm),
      section({"Am7", "Em7", "Fmaj7", "Gsus4"},
              "c6 - - - b5 - a5 - | g5 - - - e5 - - - | "
              "f5 - a5 - c6 - e6 - | d6 - - - - - - - ",
              Drums::Soft, Bass::Calm),
      section(home, "", Drums::None, Bass::Calm, true),
  };
  plan.order = {0, 1, 2, 3, 4, 5, 6};
  return plan;
}
