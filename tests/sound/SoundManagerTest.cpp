#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "Error.h"
#include "MessageBus.h"
#include "Settings.h"
#include "SoundManager.h"
#include "TempDir.h"

namespace {

// SDL started the way the game does (the sound object opens the audio), in a folder
// holding a copy of the game's sounds that a test may spoil; the settings put back after.
class Sound : public ::testing::Test {
protected:
  void SetUp() override {
    settings.Music = settings.Effects = 1;
    settings.Frequency = 22050;
    settings.Stereo = 0;
    std::filesystem::copy(std::string(PIGMORA_DATA_DIR) + "/Sounds", dir.file("Sounds"));
    ASSERT_EQ(SDL_Init(SDL_INIT_TIMER), 0) << SDL_GetError();
  }
  void TearDown() override {
    manager.reset();
    SDL_Quit();
    settings = saved;
  }
  SoundManager& start() {
    manager = std::make_unique<SoundManager>();
    manager->init();
    return *manager;
  }

  Settings saved = settings;
  TempDir dir{true};
  std::unique_ptr<SoundManager> manager;
};

// SDL's disk driver with no delay for as long as it lives: it mixes as fast as it can,
// minutes of music in seconds, into nowhere.
class FastMixer {
public:
  FastMixer() {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
  }
  ~FastMixer() { setenv("SDL_AUDIODRIVER", driver.c_str(), 1); }

private:
  std::string driver = std::getenv("SDL_AUDIODRIVER") ? std::getenv("SDL_AUDIODRIVER") : "";
};

// Remembers what the device was asked for, then opens it as usual.
struct RecordingManager : SoundManager {
  int openAudio(int frequency, uint16_t format, int channels, int chunkSize) override {
    askedChunkSize = chunkSize;
    return SoundManager::openAudio(frequency, format, channels, chunkSize);
  }
  int askedChunkSize = -1;
};

}  // namespace

TEST_F(Sound, EveryEventSoundsAsItsOwnFileAndDropsSoundLikeAMenuClick) {
  SoundManager& sound = start();
  EXPECT_EQ(soundManager, &sound);
  for (const char* name : {"1pMusic", "2pMusic", "MenuMusic"})
    EXPECT_TRUE(sound.music[name]) << name;
  const std::pair<const char*, const char*> files[] = {
      {"MenuClick", "drop.wav"}, {"Drop", "drop.wav"},       {"R0", "Reaction.wav"},
      {"R1", "Reaction1.wav"},   {"R2", "Reaction2.wav"},    {"R3", "Reaction3.wav"},
      {"R4", "Reaction4.wav"},   {"R5", "Reaction5.wav"},    {"R6", "Reaction6.wav"},
      {"Laser", "Laser.wav"},    {"Explode", "Explode.wav"}, {"Slide", "slide down.wav"},
      {"Grab", "grab.wav"}};
  for (auto [name, file] : files) {
    SCOPED_TRACE(name);
    Mix_Chunk* own = Mix_LoadWAV(dir.file(std::string("Sounds/") + file).c_str());
    const Mix_Chunk* loaded = sound.effects[name];
    ASSERT_TRUE(own && loaded);
    EXPECT_TRUE(own->alen == loaded->alen && std::memcmp(own->abuf, loaded->abuf, own->alen) == 0)
        << "does not sound like " << file;
    Mix_FreeChunk(own);
  }
  EXPECT_EQ(sound.effects.size(), std::size(files));
  EXPECT_EQ(sound.effects["Drop"], sound.effects["MenuClick"]);
}

TEST_F(Sound, MusicLoopsUntilSomethingElseIsPlayed) {
  FastMixer fast;
  settings.Frequency = 11025;
  SoundManager& sound = start();
  static std::atomic<bool> ended;
  static std::atomic<long> mixedBytes;
  ended = false;
  mixedBytes = 0;
  Mix_HookMusicFinished([] { ended = true; });
  Mix_SetPostMix([](void*, Uint8*, int length) { mixedBytes += length; }, nullptr);
  sound.playMusic("1pMusic");
  // Longer than any of the modules; the bound on the clock is only there for a hang.
  constexpr long LongerThanAnyModule = 11025L * 2 * 300;
  const Uint32 deadline = SDL_GetTicks() + 300000;
  while (mixedBytes < LongerThanAnyModule && !ended && SDL_GetTicks() < deadline) SDL_Delay(20);
  Mix_SetPostMix(nullptr, nullptr);
  Mix_HookMusicFinished(nullptr);
  EXPECT_FALSE(ended) << "the music stopped after " << mixedBytes / (11025 * 2) << " s";
  EXPECT_GE(mixedBytes, LongerThanAnyModule) << "the mixer stopped delivering sound";
  EXPECT_TRUE(Mix_PlayingMusic());
  manager.reset();
}

TEST_F(Sound, BothBoardsPullingInARowAtOnceSoundOneSlideNotOneTwiceAsLoud) {
  SoundManager& sound = start();  // 22050 Hz mono: the mixer works in blocks of 93 ms
  uint32_t now = 5000;
  sound.clock = [&now] { return now; };
  sound.playEffect("Slide");
  sound.playEffect("Slide");
  EXPECT_EQ(Mix_Playing(-1), 1);
  sound.playEffect("Explode");  // another effect at the same moment still sounds
  EXPECT_EQ(Mix_Playing(-1), 2);
  now += 50;  // still within the block
  sound.playEffect("Slide");
  EXPECT_EQ(Mix_Playing(-1), 2);
  now += 50;  // the mixer has moved on: the same effect starts again, over the first
  sound.playEffect("Slide");
  EXPECT_EQ(Mix_Playing(-1), 3);
}

TEST_F(Sound, GameBusPlaysEffectsOnlyWhenSwitchedOnAndStartsTheMusic) {
  settings.Effects = 0;
  SoundManager& sound = start();
  MessageBus bus;
  bus.subscribe(PlaySound, &sound.listener);
  bus.subscribe(PlayMusic, &sound.listener);
  std::string chain = "R6", tune = "1pMusic", unknown = "NoSuchEffect";
  bus.post<PlaySound>(&chain);
  EXPECT_EQ(Mix_Playing(-1), 0);
  EXPECT_EQ(sound.playEffect("NoSuchEffect"), 0);  // accepted while switched off
  settings.Effects = 1;
  EXPECT_EQ(sound.playEffect("NoSuchEffect"), -1);
  bus.post<PlaySound>(&chain);
  EXPECT_GE(Mix_Playing(-1), 1);
  bus.post<PlayMusic>(&tune);
  EXPECT_EQ(sound.currentMusic, "1pMusic");
  EXPECT_TRUE(Mix_PlayingMusic());
  sound.listener.handle(RenderFrame, &unknown, &bus);  // other messages are ignored
  EXPECT_EQ(sound.currentMusic, "1pMusic");
}

TEST_F(Sound, DeviceOpensOnceFromTheSettingsAndClosesWithTheObject) {
  // The options screen's rates keep their chunk sizes; a hand-edited rate in between gets
  // the power of two below, and SDL chooses below 11025 Hz. A rate the device refuses is
  // left to the start-up walk: SDL_mixer cannot load music after a refused reopen in one
  // process, which the game never does.
  struct Case {
    int frequency, stereo, chunkSize;
  } cases[] = {{11025, 0, 1024},  {11025, 1, 2048},   {22050, 0, 2048}, {22050, 1, 4096},
               {44100, 0, 4096},  {44100, 1, 8192},   {40000, 0, 2048}, {33075, 1, 4096},
               {96000, 1, 16384}, {384000, 1, 32768}, {8000, 0, 0},     {0, 1, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.frequency) + (c.stereo ? " Hz stereo" : " Hz mono"));
    settings.Frequency = c.frequency;
    settings.Stereo = c.stereo;
    int frequency = 0, channels = 0;
    Uint16 format = 0;
    {
      RecordingManager sound;
      EXPECT_EQ(sound.playMusic("MenuMusic"), -1);  // nothing plays before the device opens
      EXPECT_EQ(sound.playEffect("Grab"), -1);
      sound.init();
      EXPECT_EQ(sound.askedChunkSize, c.chunkSize);
      sound.playMusic("MenuMusic");
      // Asking again changes neither the device nor what is playing.
      EXPECT_EQ(sound.SoundPlayer::openAudio(22050, AUDIO_S16LSB, 2 - c.stereo, 4096), 0);
      ASSERT_EQ(Mix_QuerySpec(&frequency, &format, &channels), 1);
      EXPECT_EQ(frequency, c.frequency == 0 ? 22050 : c.frequency);
      EXPECT_EQ(settings.Frequency, c.frequency);  // the player's rate stays as written
      EXPECT_EQ(format, 0x8010);
      EXPECT_EQ(channels, c.stereo ? 2 : 1);
      EXPECT_TRUE(Mix_PlayingMusic());
    }
    EXPECT_EQ(Mix_QuerySpec(&frequency, &format, &channels), 0);
  }
}

TEST_F(Sound, MusicSwitchedOffAndOnInTheOptionsResumesTheSameModuleOnce) {
  SoundManager& sound = start();
  sound.playMusic("2pMusic");
  settings.Music = 0;
  sound.musicSettingChanged();
  EXPECT_FALSE(Mix_PlayingMusic());
  EXPECT_EQ(sound.playMusic("MenuMusic"), 0);  // succeeds, but changes nothing
  settings.Music = 1;
  sound.musicSettingChanged();
  EXPECT_EQ(sound.currentMusic, "2pMusic");
  EXPECT_TRUE(Mix_PlayingMusic());
  Mix_PauseMusic();
  sound.musicSettingChanged();  // another menu closes, setting unchanged: no restart
  EXPECT_TRUE(Mix_PausedMusic());

  settings.Music = 0;  // off from the start, then on before any music was asked for
  SoundManager& quiet = start();
  quiet.playMusic("MenuMusic");
  settings.Music = 1;
  quiet.musicSettingChanged();
  EXPECT_FALSE(Mix_PlayingMusic());
}

TEST_F(Sound, UndecodableEffectsAndMissingMusicAreSkippedWithAWordButAMissingEffectEndsStartUp) {
  dir.write("Sounds/Laser.wav", "RIFF this is not a sound at all");
  dir.write("Sounds/Reaction3.wav", "");
  for (const char* module : {"Sounds/ingame2.s3m", "Sounds/menu.s3m"})
    std::filesystem::remove(dir.file(module));
  mkfifo(dir.file("Sounds/menu.s3m").c_str(), 0644);  // would wait for a writer for ever
  testing::internal::CaptureStderr();
  SoundManager& sound = start();
  EXPECT_EQ(
      testing::internal::GetCapturedStderr(),
      "Pigmora: no music from ./Sounds/ingame2.s3m; playing without it\n"
      "Pigmora: no music from ./Sounds/menu.s3m; playing without it\n"
      "Pigmora: the sound effect ./Sounds/Reaction3.wav cannot be decoded; playing without it\n"
      "Pigmora: the sound effect ./Sounds/Laser.wav cannot be decoded; playing without it\n");
  EXPECT_EQ(sound.effects.count("Laser") + sound.effects.count("R3"), 0u);
  EXPECT_EQ(sound.music.count("2pMusic") + sound.music.count("MenuMusic"), 0u);
  EXPECT_EQ(sound.playEffect("Laser"), -1);
  std::filesystem::remove(dir.file("Sounds/grab.wav"));
  try {
    start();
    FAIL() << "start-up went on without grab.wav";
  } catch (const Error& error) {
    EXPECT_EQ(error.message, "Unable to find resource <grab.wav> from ./Sounds/grab.wav");
  }
  manager.reset();  // what was loaded before the failure is freed with the object
  EXPECT_EQ(soundManager, nullptr);
}
