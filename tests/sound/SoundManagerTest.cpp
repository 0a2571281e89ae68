#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "Error.h"
#include "MessageBus.h"
#include "Settings.h"
#include "SoundManager.h"
#include "TempDir.h"

namespace {

// Starts SDL the way the game does (no audio: the sound object opens it) inside a
// folder holding a copy of the game's sounds, which a test may spoil one by one, and
// puts the sound settings back afterwards.
class SoundManagerTest : public ::testing::Test {
protected:
  void SetUp() override {
    saved = settings;
    settings.Music = 1;
    settings.Effects = 1;
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

  TempDir dir{true};
  std::unique_ptr<SoundManager> manager;
  Settings saved;
};

TEST_F(SoundManagerTest, StartUpLoadsEverySoundEvenWithEffectsOffThenAGameDrivesItsBus) {
  settings.Effects = 0;
  SoundManager& sound = start();
  EXPECT_EQ(soundManager, &sound);
  EXPECT_EQ(sound.music.size(), 3u);
  for (const char* name : {"1pMusic", "2pMusic", "MenuMusic"})
    EXPECT_NE(sound.music[name], nullptr) << name;
  EXPECT_EQ(sound.effects.size(), 13u);
  for (const char* name :
       {"MenuClick", "R0", "R1", "R2", "R3", "R4", "R5", "R6", "Laser", "Explode", "Slide", "Grab"})
    EXPECT_NE(sound.effects[name], nullptr) << name;
  // Pieces landing sound exactly like a menu click.
  EXPECT_EQ(sound.effects["Drop"], sound.effects["MenuClick"]);
  EXPECT_EQ(sound.currentMusic, "");
  EXPECT_FALSE(Mix_PlayingMusic());

  // Switched off, effects are accepted but not heard.
  EXPECT_EQ(sound.playEffect("Explode"), 0);
  EXPECT_EQ(Mix_Playing(-1), 0);
  EXPECT_EQ(sound.playEffect("NoSuchEffect"), 0);
  settings.Effects = 1;
  EXPECT_EQ(sound.playEffect("NoSuchEffect"), -1);

  MessageBus bus;
  bus.subscribe(PlaySound, &sound.listener);
  bus.subscribe(PlayMusic, &sound.listener);
  std::string chain = "R6", tune = "1pMusic", other = "2pMusic";
  EXPECT_EQ(bus.post(PlaySound, &chain), 1);
  EXPECT_GE(Mix_Playing(-1), 1);
  bus.post(PlayMusic, &tune);
  EXPECT_EQ(sound.currentMusic, "1pMusic");
  EXPECT_TRUE(Mix_PlayingMusic());
  // Other messages that reach the listener are ignored.
  sound.listener.handle(RenderFrame, &other, &bus);
  EXPECT_EQ(sound.currentMusic, "1pMusic");
}

// Remembers what the device was asked for, then opens it as usual.
class RecordingManager : public SoundManager {
public:
  int openAudio(int frequency, uint16_t format, int channels, int chunkSize) override {
    askedChunkSize = chunkSize;
    return SoundManager::openAudio(frequency, format, channels, chunkSize);
  }
  int askedChunkSize = -1;
};

TEST_F(SoundManagerTest,
       NothingPlaysBeforeTheDeviceOpensOnceFromTheSettingsAndItClosesWithTheObject) {
  struct Case {
    int frequency, stereo, chunkSize;
  };
  for (Case c : {Case{44100, 1, 8192}, Case{11025, 0, 1024}, Case{8000, 0, 0}}) {
    SCOPED_TRACE(c.frequency);
    settings.Frequency = c.frequency;
    settings.Stereo = c.stereo;
    int frequency = 0, channels = 0;
    Uint16 format = 0;
    {
      RecordingManager sound;
      EXPECT_EQ(sound.playMusic("MenuMusic"), -1);
      EXPECT_EQ(sound.playEffect("Grab"), -1);
      sound.init();
      EXPECT_EQ(sound.askedChunkSize, c.chunkSize);
      ASSERT_EQ(Mix_QuerySpec(&frequency, &format, &channels), 1);
      EXPECT_EQ(frequency, c.frequency);
      EXPECT_EQ(format, 0x8010);
      EXPECT_EQ(channels, c.stereo ? 2 : 1);
      // Asking again changes neither the device nor what is playing.
      sound.playMusic("MenuMusic");
      EXPECT_EQ(sound.SoundPlayer::openAudio(22050, AUDIO_S16LSB, 2 - c.stereo, 4096), 0);
      Mix_QuerySpec(&frequency, &format, &channels);
      EXPECT_EQ(frequency, c.frequency);
      EXPECT_EQ(sound.currentMusic, "MenuMusic");
      EXPECT_TRUE(Mix_PlayingMusic());
    }
    EXPECT_EQ(Mix_QuerySpec(&frequency, &format, &channels), 0);
  }
}

TEST_F(SoundManagerTest, MusicPlaysOnThroughRepeatsUnknownNamesAndAMissingModule) {
  std::filesystem::remove(dir.file("Sounds/ingame2.s3m"));
  SoundManager& sound = start();
  EXPECT_EQ(sound.playMusic("MenuMusic"), 0);
  EXPECT_TRUE(Mix_PlayingMusic());
  // Pausing shows a restart: starting a module un-pauses the mixer.
  Mix_PauseMusic();
  EXPECT_EQ(sound.playMusic("MenuMusic"), 0);
  EXPECT_TRUE(Mix_PausedMusic());
  Mix_ResumeMusic();

  // There is no game-over tune, and the module that could not load has no name.
  EXPECT_EQ(sound.playMusic("Over"), -1);
  EXPECT_EQ(sound.playMusic("2pMusic"), -1);
  EXPECT_EQ(sound.music.count("Over") + sound.music.count("2pMusic"), 0u);
  EXPECT_EQ(sound.currentMusic, "MenuMusic");
  EXPECT_TRUE(Mix_PlayingMusic());

  EXPECT_EQ(sound.playMusic("1pMusic"), 0);
  EXPECT_EQ(sound.currentMusic, "1pMusic");
}

TEST_F(SoundManagerTest, MusicSwitchedOffAndOnInTheOptionsResumesTheSameModule) {
  SoundManager& sound = start();
  sound.playMusic("2pMusic");
  settings.Music = 0;
  sound.musicSettingChanged();
  EXPECT_FALSE(Mix_PlayingMusic());
  // While music is off, requests succeed but change nothing.
  EXPECT_EQ(sound.playMusic("MenuMusic"), 0);
  EXPECT_EQ(sound.currentMusic, "2pMusic");
  settings.Music = 1;
  sound.musicSettingChanged();
  EXPECT_TRUE(Mix_PlayingMusic());
  EXPECT_EQ(sound.currentMusic, "2pMusic");
  // Leaving another menu with the setting unchanged does not restart it (a restart
  // would un-pause the mixer).
  Mix_PauseMusic();
  sound.musicSettingChanged();
  EXPECT_TRUE(Mix_PausedMusic());

  // A player who starts with music off and switches it on before any was asked for
  // hears nothing.
  settings.Music = 0;
  SoundManager& quiet = start();
  EXPECT_EQ(quiet.playMusic("MenuMusic"), 0);
  settings.Music = 1;
  quiet.musicSettingChanged();
  EXPECT_FALSE(Mix_PlayingMusic());
  EXPECT_EQ(quiet.currentMusic, "");
}

TEST_F(SoundManagerTest, UndecodableEffectsAreSkippedButAMissingOneEndsStartUp) {
  dir.write("Sounds/Laser.wav", "RIFF this is not a sound at all");
  dir.write("Sounds/Reaction3.wav", "");
  SoundManager& sound = start();
  EXPECT_EQ(sound.effects.count("Laser") + sound.effects.count("R3"), 0u);
  EXPECT_EQ(sound.effects.size(), 11u);
  EXPECT_EQ(sound.playEffect("Laser"), -1);

  std::filesystem::remove(dir.file("Sounds/grab.wav"));
  try {
    start();
    FAIL() << "start-up went on without grab.wav";
  } catch (const Error& error) {
    EXPECT_EQ(error.message, "Unable to find resource <grab.wav> from ./Sounds/grab.wav");
  }
  // What was loaded before the failure is still freed with the object.
  manager.reset();
  EXPECT_EQ(soundManager, nullptr);
}

TEST_F(SoundManagerTest, EffectsLoadedLaterGoByIndexOrReplaceANameWithoutLosingItsTwin) {
  SoundManager& sound = start();
  std::string wav = dir.read("Sounds/grab.wav");
  auto load = [&](const std::string& data, const char* name) {
    return sound.loadEffect(data.data(), static_cast<int>(data.size()), name);
  };
  EXPECT_EQ(load(wav, ""), 0);
  EXPECT_EQ(load(wav, ""), 1);
  EXPECT_EQ(load("junk", ""), -1);
  EXPECT_EQ(sound.loadMusic("./Sounds/menu.s3m", ""), -1);
  EXPECT_EQ(sound.playEffectAt(1), 0);
  EXPECT_EQ(sound.playEffectAt(2), -1);
  EXPECT_EQ(sound.playEffectAt(-1), -1);

  // "Drop" keeps the click's old chunk, which must stay playable.
  Mix_Chunk* shared = sound.effects["MenuClick"];
  ASSERT_EQ(load(wav, "MenuClick"), 0);
  EXPECT_NE(sound.effects["MenuClick"], shared);
  EXPECT_EQ(sound.effects["Drop"], shared);
  EXPECT_EQ(sound.playEffect("Drop"), 0);
}

}  // namespace
