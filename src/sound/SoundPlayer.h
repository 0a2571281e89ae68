#pragma once

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

// The plain mixer wrapper: opens the audio device once, keeps music modules and sound
// effects under names, and plays them. It owns every module and chunk it loaded.
// Every operation returning int gives 0 for success and -1 for failure (loadEffect
// without a name gives the new index instead).
class SoundPlayer {
public:
  SoundPlayer() = default;
  SoundPlayer(const SoundPlayer&) = delete;
  SoundPlayer& operator=(const SoundPlayer&) = delete;
  // Frees every module and chunk and closes the device when it was opened.
  virtual ~SoundPlayer();

  // The first call opens the device with the values as given; later calls do nothing.
  // A device that fails to open still counts as open: the game then runs silent. The
  // mixer's levels are set as the game plays (MixerLevels.h).
  virtual int openAudio(int frequency, uint16_t format, int channels, int chunkSize);
  // Re-applies the music setting; the plain player has none.
  virtual void musicSettingChanged();
  // Plays an effect that loadEffect stored without a name.
  virtual int playEffectAt(int index);
  // Plays a named effect once on any free mixing channel. The same effect asked for again
  // within one block of the mixer's output is not started twice (see play()).
  virtual int playEffect(std::string name);
  // Starts a module looping for ever, unless it is the one already playing. An unknown
  // name leaves whatever is playing alone.
  virtual int playMusic(std::string name);

  // Loads a module from a file under a name (an empty name loads nothing).
  int loadMusic(const char* path, std::string name);
  // Decodes a WAV image held in memory. With a name the effect is stored under it;
  // without one it is appended to the unnamed effects and its index is returned.
  int loadEffect(const void* data, int size, std::string name);

  std::map<std::string, Mix_Music*> music;
  std::map<std::string, Mix_Chunk*> effects;  // several names may share one chunk
  std::vector<Mix_Chunk*> unnamedEffects;
  std::string currentMusic;  // the module last started by playMusic, "" for none
  bool audioOpen = false;
  // Milliseconds, as SDL counts them unless a test says otherwise.
  std::function<uint32_t()> clock = [] { return static_cast<uint32_t>(SDL_GetTicks()); };

private:
  int play(Mix_Chunk* chunk);
  bool chunkInUse(const Mix_Chunk* chunk) const;

  uint32_t blockMs = 0;                            // one block of the mixer's output
  std::map<const Mix_Chunk*, uint32_t> startedAt;  // by clock(), each effect's last start
};
