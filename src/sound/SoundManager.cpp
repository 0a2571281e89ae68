#include "SoundManager.h"

#include <cstdio>
#include <memory>

#include "DirectoryResourceSource.h"
#include "Messages.h"
#include "Settings.h"

SoundManager* soundManager = nullptr;

SoundManager::SoundManager() {
  soundManager = this;
}

SoundManager::~SoundManager() {
  if (soundManager == this) soundManager = nullptr;
}

void SoundManager::SoundListener::handle(int id, void* data, MessageBus*) {
  if (!data) return;
  if (id == PlaySound)
    owner->playEffect(*messageData<PlaySound>(data));
  else if (id == PlayMusic)
    owner->playMusic(*messageData<PlayMusic>(data));
}

int SoundManager::playEffect(std::string name) {
  if (settings.Effects == 0) return 0;
  return SoundPlayer::playEffect(name);
}

int SoundManager::playMusic(std::string name) {
  if (settings.Music == 0) return 0;
  return SoundPlayer::playMusic(name);
}

void SoundManager::musicSettingChanged() {
  int setting = settings.Music;
  if (setting == lastMusicSetting) return;
  lastMusicSetting = setting;
  std::string previous = currentMusic;
  if (setting != 0 && !previous.empty()) {
    // Forget the name first, or playMusic would take it for the music still playing.
    currentMusic = "";
    playMusic(previous);
  } else {
    Mix_HaltMusic();
  }
}

namespace {

// SDL keeps the chunk size in 16 bits.
constexpr int LargestChunkSize = 32768;

// 1024 samples for every whole 11025 Hz of the rate, for each channel: 1024 at 11025 Hz
// mono, 8192 at 44100 Hz stereo. SDL's audio path writes past its buffer unless the
// chunk is a power of two, so a hand-edited rate in between (40000 Hz would give 3072)
// gets the next smaller one. A rate from 0 to 11024 Hz gives 0, which lets SDL choose
// (about 46 ms of sound). SDL refuses a negative rate, and the game goes on silent, but
// with a chunk size of 0 it never returns from the refusal: give it the 11025 Hz value.
// The rate itself is always used as the player wrote it.
int chunkSizeFor(int frequency, int channels) {
  const long long steps = frequency < 0 ? 1 : frequency / 11025;
  const long long wanted = steps * channels * 1024;
  if (wanted == 0) return 0;
  int chunk = LargestChunkSize;
  while (chunk > wanted) chunk /= 2;
  return chunk;
}

}  // namespace

int SoundManager::init() {
  int channels = settings.Stereo != 0 ? 2 : 1;
  int chunkSize = chunkSizeFor(settings.Frequency, channels);
  openAudio(settings.Frequency, AUDIO_S16LSB, channels, chunkSize);
  loadSounds();
  // The opposite of the setting, so that the call below always acts: with nothing
  // started yet it records the setting and halts the music.
  lastMusicSetting = settings.Music == 0 ? 1 : 0;
  musicSettingChanged();
  return 0;
}

namespace {

// The effect files in loading order, with the names the game plays them by.
const struct {
  const char* name;
  const char* file;
} MusicFiles[] = {
#ifdef __EMSCRIPTEN__
    // Browsers decode no modules: the page brings each rendered by the desktop's player.
    {"1pMusic", "./Sounds/ingame1.ogg"},
    {"2pMusic", "./Sounds/ingame2.ogg"},
    {"MenuMusic", "./Sounds/menu.ogg"},
#else
    {"1pMusic", "./Sounds/ingame1.s3m"},
    {"2pMusic", "./Sounds/ingame2.s3m"},
    {"MenuMusic", "./Sounds/menu.s3m"},
#endif
};

const struct {
  const char* name;
  const char* file;
} EffectFiles[] = {
    {"MenuClick", "drop.wav"},   {"R0", "Reaction.wav"},  {"R1", "Reaction1.wav"},
    {"R2", "Reaction2.wav"},     {"R3", "Reaction3.wav"}, {"R4", "Reaction4.wav"},
    {"R5", "Reaction5.wav"},     {"R6", "Reaction6.wav"}, {"Laser", "Laser.wav"},
    {"Explode", "Explode.wav"},  {nullptr, nullptr},  // "Drop" is bound here
    {"Slide", "slide down.wav"}, {"Grab", "grab.wav"},
};

}  // namespace

void SoundManager::loadSounds() {
  std::unique_ptr<ResourceSource> library(openResourceLibrary("Sounds"));
  // Sounds that cannot be had are left out, but with a word: a silent game gives a
  // player or a packager no clue. Without an audio device nothing loads, and nothing
  // needs saying either.
  const bool mixing = Mix_QuerySpec(nullptr, nullptr, nullptr) != 0;
  for (const auto& module : MusicFiles)
    if (loadMusic(module.file, module.name) != 0 && mixing)
      std::fprintf(stderr, "Pigmora: no music from %s; playing without it\n", module.file);

  HeldResource held;
  for (const auto& effect : EffectFiles) {
    if (!effect.name) {
      // The same knock serves menu clicks and pieces landing.
      auto click = effects.find("MenuClick");
      if (click != effects.end()) effects["Drop"] = click->second;
      continue;
    }
    held.resource = library->load(effect.file, false);
    if (loadEffect(held.resource.data, held.resource.size, effect.name) != 0 && mixing)
      std::fprintf(stderr,
                   "Pigmora: the sound effect ./Sounds/%s cannot be decoded; playing without it\n",
                   effect.file);
  }
}
