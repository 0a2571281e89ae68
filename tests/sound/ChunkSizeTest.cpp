#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "Settings.h"
#include "SoundManager.h"
#include "TempDir.h"

namespace {

// Remembers the chunk size the device was asked for, then opens it as usual.
class ChunkRecorder : public SoundManager {
public:
  int openAudio(int frequency, uint16_t format, int channels, int chunkSize) override {
    askedChunkSize = chunkSize;
    return SoundManager::openAudio(frequency, format, channels, chunkSize);
  }
  int askedChunkSize = -1;
};

}  // namespace

TEST(MixingRate, AHandEditedRateOpensTheDeviceWithAPowerOfTwoChunk) {
  struct Case {
    int frequency, stereo, chunkSize;
  };
  // The options screen's rates keep their chunk sizes; rates in between round down and SDL
  // chooses below 11025 Hz. A rate the device refuses is left to the start-up walk:
  // SDL_mixer cannot load music after a refused reopen in one process, which the game never does.
  const Case cases[] = {{11025, 0, 1024},  {11025, 1, 2048},   {22050, 0, 2048}, {22050, 1, 4096},
                        {44100, 0, 4096},  {44100, 1, 8192},   {40000, 0, 2048}, {33075, 1, 4096},
                        {96000, 1, 16384}, {384000, 1, 32768}, {8000, 0, 0},     {0, 1, 0}};
  TempDir folder(true);
  std::filesystem::create_directory_symlink(std::string(PIGMORA_DATA_DIR) + "/Sounds", "Sounds");
  Settings saved = settings;
  ASSERT_EQ(SDL_Init(SDL_INIT_TIMER), 0) << SDL_GetError();
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.frequency) + (c.stereo ? " Hz stereo" : " Hz mono"));
    settings.Frequency = c.frequency;
    settings.Stereo = c.stereo;
    ChunkRecorder sound;
    sound.init();
    EXPECT_EQ(sound.askedChunkSize, c.chunkSize);
    int frequency = 0, channels = 0;
    Uint16 format = 0;
    ASSERT_EQ(Mix_QuerySpec(&frequency, &format, &channels), 1);
    EXPECT_EQ(frequency, c.frequency == 0 ? 22050 : c.frequency);
    EXPECT_EQ(settings.Frequency, c.frequency);  // the player's rate stays as written
  }
  SDL_Quit();
  settings = saved;
}
