#include "SoundPlayer.h"

#include <set>

#include "MixerLevels.h"
#include "ResourceSource.h"

SoundPlayer::~SoundPlayer() {
  // Modules and chunks go back to the mixer before the device closes; a chunk bound
  // under two names is freed once.
  if (!music.empty()) Mix_HaltMusic();
  for (auto& entry : music)
    if (entry.second) Mix_FreeMusic(entry.second);
  std::set<Mix_Chunk*> chunks(unnamedEffects.begin(), unnamedEffects.end());
  for (auto& entry : effects) chunks.insert(entry.second);
  for (Mix_Chunk* chunk : chunks)
    if (chunk) Mix_FreeChunk(chunk);
  if (audioOpen) Mix_CloseAudio();
}

namespace {
// What SDL makes of a chunk size of 0: about 46 ms of sound a block.
constexpr uint32_t ChosenBlockMs = 46;
}  // namespace

int SoundPlayer::openAudio(int frequency, uint16_t format, int channels, int chunkSize) {
  if (audioOpen) return 0;
  Mix_OpenAudio(frequency, format, channels, chunkSize);
  int rate = 0;
  if (Mix_QuerySpec(&rate, nullptr, nullptr) != 0) {
    setMixerLevels();
    blockMs = chunkSize > 0 ? static_cast<uint32_t>((chunkSize * 1000LL + rate - 1) / rate)
                            : ChosenBlockMs;
  }
  audioOpen = true;
  currentMusic = "";
  return 0;
}

void SoundPlayer::musicSettingChanged() {}

int SoundPlayer::play(Mix_Chunk* chunk) {
  if (!audioOpen || !chunk) return -1;
  // The mixer starts every effect asked for during one block of its output at the same
  // sample: one effect asked for twice in that time (both boards pull a row in on the same
  // pass) would only sound twice as loud, and clip. It is heard once.
  const uint32_t now = clock();
  auto last = startedAt.find(chunk);
  if (last != startedAt.end() && now - last->second < blockMs) return 0;
  startedAt[chunk] = now;
  // With every channel busy the mixer refuses, and the effect is simply not heard.
  Mix_PlayChannelTimed(-1, chunk, 0, -1);
  return 0;
}

int SoundPlayer::playEffectAt(int index) {
  if (index < 0 || index >= static_cast<int>(unnamedEffects.size())) return -1;
  return play(unnamedEffects[index]);
}

int SoundPlayer::playEffect(std::string name) {
  auto found = effects.find(name);
  return play(found == effects.end() ? nullptr : found->second);
}

int SoundPlayer::playMusic(std::string name) {
  if (!audioOpen) return -1;
  if (name == currentMusic) return 0;
  auto found = music.find(name);
  if (found == music.end() || !found->second) return -1;
  Mix_PlayMusic(found->second, -1);
  currentMusic = name;
  return 0;
}

int SoundPlayer::loadMusic(const char* path, std::string name) {
  if (name.empty()) return -1;
  Mix_Music* module = isRegularFile(path) ? Mix_LoadMUS(path) : nullptr;
  if (!module) return -1;
  Mix_Music*& slot = music[name];
  // A module loaded again under its name replaces the old one, which is freed (and
  // stopped, should it be the one playing).
  if (slot) Mix_FreeMusic(slot);
  slot = module;
  return 0;
}

bool SoundPlayer::chunkInUse(const Mix_Chunk* chunk) const {
  for (const auto& entry : effects)
    if (entry.second == chunk) return true;
  for (const Mix_Chunk* unnamed : unnamedEffects)
    if (unnamed == chunk) return true;
  return false;
}

int SoundPlayer::loadEffect(const void* data, int size, std::string name) {
  if (!data || size < 0) return -1;
  SDL_RWops* stream = SDL_RWFromMem(const_cast<void*>(data), size);
  if (!stream) return -1;
  Mix_Chunk* chunk = Mix_LoadWAV_RW(stream, 0);
  // The decoder copied what it needed; the stream is ours to close.
  SDL_FreeRW(stream);
  if (!chunk) return -1;
  if (name.empty()) {
    unnamedEffects.push_back(chunk);
    return static_cast<int>(unnamedEffects.size()) - 1;
  }
  auto found = effects.find(name);
  if (found != effects.end()) {
    Mix_Chunk* old = found->second;
    found->second = chunk;
    // The replaced chunk may still be bound under another name ("Drop" shares the
    // chunk of "MenuClick"); only a chunk nobody names any more is freed.
    if (old && !chunkInUse(old)) {
      startedAt.erase(old);
      Mix_FreeChunk(old);
    }
  } else {
    effects[name] = chunk;
  }
  return 0;
}
