// What the game and the player rely on in the sounds, checked before they are written:
// effects that start and stop without a click, never clip and are told apart by ear, chain
// sounds that climb and never get quieter, modules a tracker reads that loop back to their
// start and keep a tune's pace, and a mix, as the game's mixer plays it on a mono and on a
// stereo device, where the tunes are as loud either way, neither dull nor clipped, and the
// effects stand clear of them with room to spare.
#include "SelfCheck.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "Effects.h"
#include "MixFigures.h"
#include "MusicCapture.h"
#include "S3mWriter.h"
#include "Songs.h"
#include "WavWriter.h"

namespace {
// The game's default rate, 44.1 kHz, with one channel (its default) and with two.
constexpr int GameRate = 44100;
const int deviceChannels[] = {1, 2};
constexpr double FullScale = 1.0;

int failures = 0;
void expect(bool ok, const std::string& what) {
  if (!ok) std::printf("audiogen check failed: %s\n", what.c_str()), ++failures;
}

struct Song {
  const char* file;
  SongPlan (*plan)();
  bool inGame;
};
const Song songs[] = {{"ingame1.s3m", ingameOne, true},
                      {"ingame2.s3m", ingameTwo, true},
                      {"menu.s3m", menuSong, false}};

void checkLoops(const S3mModule& module) {
  expect(encodeS3m(module).substr(0x2c, 4) == "SCRM",
         module.title + " is a Scream Tracker 3 module");
  // One jump, on the last pattern played, back to the first order.
  for (size_t p = 0; p < module.patterns.size(); ++p) {
    int jumps = 0, toStart = 0;
    for (const auto& row : module.patterns[p].cells)
      for (const S3mCell& cell : row)
        jumps += cell.command == 2, toStart += cell.command == 2 && cell.info == 0;
    bool last = p == module.orders.back();
    expect(jumps == last && toStart == last, module.title + ": pattern " + std::to_string(p) +
                                                 (last ? " loops to the start" : " runs on"));
  }
}

// Plays one whole pass of each module through SDL_mixer on a device with that many
// channels, as fast as the disk driver mixes, and returns the figures of each; empty when
// the mixer cannot be started.
std::vector<MixFigures> playModules(int channels) {
  std::vector<MixFigures> figures;
  char folder[] = "/tmp/audiogen-check-XXXXXX";
  if (!mkdtemp(folder)) return figures;
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
  setenv("SDL_DISKAUDIODELAY", "0", 1);
  if (SDL_Init(SDL_INIT_AUDIO) == 0) {
    for (const Song& song : songs) {
      S3mModule module = composeSong(song.plan());
      std::string path = std::string(folder) + "/" + song.file;
      if (!writeFile(path, encodeS3m(module))) break;
      Capture capture = captureMusic(path, s3mDuration(module), GameRate, channels);
      std::remove(path.c_str());
      expect(capture.error.empty(), std::string(song.file) + " plays: " + capture.error);
      if (!capture.error.empty()) break;
      figures.push_back(mixFigures(capture.samples.data(), capture.samples.size(), capture.rate));
    }
    SDL_Quit();
  }
  rmdir(folder);
  return figures;
}
}  // namespace

int selfCheck() {
  using namespace MixTarget;
  double quietestInGame = 0, loudestInGame = -200, musicLoud = 0;
  std::vector<MixFigures> modes[std::size(deviceChannels)];
  for (size_t mode = 0; mode < std::size(deviceChannels); ++mode) {
    const std::vector<MixFigures>& music = modes[mode] = playModules(deviceChannels[mode]);
    expect(music.size() == std::size(songs), "every module plays through the mixer");
    for (size_t i = 0; i < music.size(); ++i) {
      const MixFigures& f = music[i];
      const std::string name = songs[i].file + std::string(mode ? " in stereo" : " in mono");
      std::printf(
          "audiogen mix: %-22s RMS %6.1f dBFS, peak %5.1f dBFS (%5.1f but one sample in %.0f), "
          "%4.1f%% above %.0f Hz\n",
          name.c_str(), f.rmsDb, f.peakDb, f.loudDb, 1 / LoudShare, 100 * f.brightShare,
          BrightFrom);
      expect(f.rmsDb >= QuietestMusicDb && f.rmsDb <= LoudestMusicDb,
             name + " plays at a music level");
      expect(f.peakDb <= MusicPeakDb && !f.clipped, name + " leaves headroom and never clips");
      expect(f.brightShare >= BrightShare, name + " is not dull");
      if (mode > 0 && i < modes[0].size())
        expect(std::fabs(f.rmsDb - modes[0][i].rmsDb) <= ModesSpreadDb,
               std::string(songs[i].file) + " is as loud in stereo as in mono");
      // Menu clicks sound over the menu's tune too.
      musicLoud = std::max(musicLoud, std::pow(10.0, f.loudDb / 20));
      if (!songs[i].inGame) continue;
      quietestInGame = std::min(quietestInGame, f.rmsDb);
      loudestInGame = std::max(loudestInGame, f.rmsDb);
    }
  }
  const bool heardMusic = !modes[0].empty();
  double previousPitch = 0, previousLevel = -200;
  struct Heard {
    std::string file;
    double length, pitch;
  };
  std::vector<Heard> heard;
  for (const Effect& effect : makeEffects()) {
    const Samples& s = effect.sound;
    double peak = 0;
    int crossings = 0;
    for (size_t i = 0; i < s.size(); ++i) {
      peak = std::max(peak, double(std::fabs(s[i])));
      crossings += i > 0 && (s[i - 1] < 0) != (s[i] < 0);
    }
    double level = loudestDb(s, EffectRate);
    std::printf("audiogen mix: %-14s loudest 50 ms %6.1f dBFS RMS, peak %5.1f dBFS\n",
                effect.file.c_str(), level, 20 * std::log10(peak));
    expect(s.size() > 1000 && 20 * std::log10(peak) <= EffectCeilingDb,
           effect.file + " stays under its ceiling");
    if (heardMusic) {
      expect(
          level - loudestInGame >= LeastEffectLiftDb && level - quietestInGame <= MostEffectLiftDb,
          effect.file + " stands clear of the in-game music without drowning it");
      expect(
          peak + musicLoud < FullScale,
          effect.file + " over all but the music's rarest loudest moments stays below full scale");
    }
    expect(std::fabs(s.front()) < 0.01 && std::fabs(s.back()) < 0.01,
           effect.file + " starts and stops without a click");
    // Zero crossings per sample follow the pitch (and brightness) of a tone.
    double pitch = double(crossings) / s.size();
    heard.push_back({effect.file, double(s.size()), pitch});
    if (effect.file.rfind("Reaction", 0) != 0) continue;
    expect(pitch > previousPitch * 1.05, effect.file + " sounds higher than the chain before");
    expect(level >= previousLevel, effect.file + " is no quieter than the chain before");
    previousPitch = pitch;
    previousLevel = level;
  }
  // No two effects alike, or the player cannot tell a grab from a drop by ear: of much the
  // same length, they differ in pitch. (Chain sounds are one sound climbing, checked above.)
  auto near = [](double a, double b, double part) {
    return std::fabs(a - b) <= part * std::max(a, b);
  };
  for (size_t a = 0; a < heard.size(); ++a)
    for (size_t b = a + 1; b < heard.size(); ++b) {
      bool chain =
          heard[a].file.rfind("Reaction", 0) == 0 && heard[b].file.rfind("Reaction", 0) == 0;
      expect(chain || !near(heard[a].length, heard[b].length, 0.05) ||
                 !near(heard[a].pitch, heard[b].pitch, 0.1),
             heard[a].file + " sounds unlike " + heard[b].file);
    }
  for (const Song& song : songs) {
    S3mModule module = composeSong(song.plan());
    checkLoops(module);
    // Four rows to a beat: the in-game tunes drive, the menu's lies back.
    double beatsPerMinute = 60.0 * module.orders.size() * S3mRows / 4 / s3mDuration(module);
    std::printf("audiogen mix: %-12s %5.1f beats a minute\n", song.file, beatsPerMinute);
    expect(song.inGame ? beatsPerMinute >= 120 && beatsPerMinute <= 170
                       : beatsPerMinute >= 80 && beatsPerMinute <= 110,
           std::string(song.file) + " keeps its pace");
  }
  std::printf("audiogen check: %d failures\n", failures);
  return failures;
}
