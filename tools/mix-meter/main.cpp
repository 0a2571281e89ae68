// The mix in the real game, measured. Two steps, run by tests/e2e/game-mix.sh:
//
//   mix-meter music SECONDS STEREO OUT.raw
//     in a game's folder: the Versus music alone, as the game's sound code plays it, into
//     OUT.raw through SDL's disk driver (as fast as it mixes);
//   mix-meter judge MONO.raw MONO-MUSIC.raw STEREO.raw STEREO-MUSIC.raw
//     finds the music in recordings of the real game, takes the effects apart from it,
//     prints the figures and exits 1 when the mix misses what it aims at.
#include <SDL.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "GameMix.h"
#include "GameSetup.h"
#include "MixFigures.h"
#include "Settings.h"
#include "SoundManager.h"

namespace {

constexpr int Rate = 44100;              // Hz: the game's default, which the device keeps
constexpr int FrameBytes = 4;            // 16-bit stereo
constexpr int MixingPauseMs = 5;         // between blocks of the disk driver: many times real time
constexpr int StalledMs = 30000;         // the mixer has stopped when it writes nothing this long
constexpr double LeastPlaySeconds = 20;  // of play a judgement needs
constexpr size_t LeastEffects = 10;      // heard in it

off_t fileSize(const char* path) {
  struct stat file {};
  return stat(path, &file) == 0 ? file.st_size : 0;
}

// The disk driver writes from the moment the device opens; the music starts once every
// sound is loaded, and only from there on is kept.
int renderMusic(double seconds, bool stereo, const char* out) {
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", out, 1);
  setenv("SDL_DISKAUDIODELAY", std::to_string(MixingPauseMs).c_str(), 1);
  if (SDL_Init(SDL_INIT_AUDIO) != 0) {
    std::fprintf(stderr, "mix-meter: %s\n", SDL_GetError());
    return 1;
  }
  settings.Frequency = Rate;
  settings.Stereo = stereo ? 1 : 0;
  settings.Music = settings.Effects = 1;
  off_t from = 0, wanted = static_cast<off_t>(seconds * Rate) * FrameBytes;
  int status = 0;
  {
    SoundManager sound;
    sound.init();
    from = fileSize(out);
    if (sound.playMusic(GameSetup(GameMode::Versus).musicName()) != 0) {
      std::fprintf(stderr, "mix-meter: the Versus music does not play\n");
      status = 1;
    }
    off_t written = from;
    Uint32 lastProgress = SDL_GetTicks();
    while (status == 0 && written < from + wanted) {
      if (fileSize(out) > written) {
        written = fileSize(out);
        lastProgress = SDL_GetTicks();
      } else if (SDL_GetTicks() - lastProgress > StalledMs) {
        std::fprintf(stderr, "mix-meter: the mixer stopped writing %s\n", out);
        status = 1;
      }
      SDL_Delay(10);
    }
  }
  SDL_Quit();
  if (status != 0) return status;
  std::ifstream in(out, std::ios::binary);
  std::string kept(static_cast<size_t>(wanted), '\0');
  in.seekg(from);
  in.read(&kept[0], wanted);
  std::ofstream(out, std::ios::binary | std::ios::trunc).write(kept.data(), in.gcount());
  return 0;
}

int failures = 0;
void expect(bool ok, const std::string& what) {
  if (!ok) std::printf("mix-meter: FAILED: %s\n", what.c_str()), ++failures;
}

// Measures one mode's recording and checks what a player should hear in it.
GameMix judgeMode(const char* name, const char* gameFile, const char* musicFile) {
  using namespace MixTarget;
  Recording game, music;
  std::string error;
  if (!readRecording(gameFile, Rate, game, error) ||
      !readRecording(musicFile, Rate, music, error)) {
    expect(false, std::string(name) + ": " + error);
    return GameMix();
  }
  GameMix mix = measureGameMix(game, music);
  if (!mix.error.empty()) {
    expect(false, std::string(name) + ": " + mix.error);
    return mix;
  }
  double lowest = 200, highest = -200;
  for (const EffectHeard& effect : mix.effects) {
    lowest = std::min(lowest, effect.liftDb());
    highest = std::max(highest, effect.liftDb());
  }
  std::printf(
      "mix-meter %s: %.1f s of play from %.1f s (%.1f s of music alone): music %.1f dBFS RMS; "
      "peak %.1f dBFS, %zu samples at full scale in %.1f s; %zu effects, their peaks %.1f dB "
      "above the music around them (%.1f to %.1f)\n",
      name, mix.playSeconds, mix.musicStart, mix.musicOnlySeconds, mix.musicRmsDb, mix.peakDb,
      mix.fullScale, static_cast<double>(game.frames()) / Rate, mix.effects.size(),
      mix.medianLiftDb(), lowest, highest);
  const std::string mode = name;
  expect(mix.playSeconds >= LeastPlaySeconds, mode + ": the game's music plays long enough");
  expect(mix.effects.size() >= LeastEffects, mode + ": effects are heard");
  expect(mix.musicRmsDb >= QuietestMusicDb && mix.musicRmsDb <= LoudestMusicDb,
         mode + ": the music plays at a music level");
  expect(mix.fullScale == 0, mode + ": nothing reaches full scale");
  expect(mix.medianLiftDb() >= LeastEffectLiftDb && mix.medianLiftDb() <= MostEffectLiftDb,
         mode + ": effects stand clear of the music without drowning it");
  return mix;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "music" && argc == 5)
    return renderMusic(std::atof(argv[2]), std::atoi(argv[3]) != 0, argv[4]);
  if (command != "judge" || argc != 6) {
    std::fprintf(stderr,
                 "usage: mix-meter music SECONDS STEREO OUT.raw\n"
                 "       mix-meter judge MONO.raw MONO-MUSIC.raw STEREO.raw STEREO-MUSIC.raw\n");
    return 2;
  }
  GameMix mono = judgeMode("mono", argv[2], argv[3]);
  GameMix stereo = judgeMode("stereo", argv[4], argv[5]);
  expect(std::fabs(mono.musicRmsDb - stereo.musicRmsDb) <= MixTarget::ModesSpreadDb,
         "the music is as loud in stereo as in mono");
  std::printf("mix-meter: %d failures\n", failures);
  return failures == 0 ? 0 : 1;
}
