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
#include "SoundTestSupport.h"

namespace {

// Starts SDL the way the game does (no audio: the sound object opens it) inside a
// folder with the game's sounds, and puts the sound settings back afterwards.
class SoundManagerTest : public ::testing::Test {
protected:
  void SetUp() override {
    saved = settings;
    settings.Music = 1;
    settings.Effects = 1;
    settings.Frequency = 22050;
    settings.Stereo = 0;
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

  SoundFolder folder;
  std::unique_ptr<SoundManager> manager;
  Settings saved;
};

// Remembers what the device was opened with, then opens it as usual.
class RecordingManager : public SoundManager {
public:
  int openAudio(int frequency, uint16_t format, int channels, int chunkSize) override {
    ++opens;
    lastFrequency = frequency;
    lastFormat = format;
    lastChannels = channels;
    lastChunkSize = chunkSize;
    return SoundManager::openAudio(frequency, format, channels, chunkSize);
  }
  int opens = 0, lastFrequency = 0, lastChannels = 0, lastChunkSize = -1;
  uint16_t lastFormat = 0;
};

TEST_F(SoundManagerTest, StartUpLoadsEveryModuleAndEffectAndLeavesMusicQuiet) {
  SoundManager& sound = start();
  EXPECT_EQ(soundManager, &sound);
  for (const char* name : {"1pMusic", "2pMusic", "MenuMusic"}) {
    ASSERT_TRUE(sound.music.count(name)) << name;
    EXPECT_NE(sound.music[name], nullptr) << name;
  }
  for (const char* name : {"MenuClick", "R0", "R1", "R2", "R3", "R4", "R5", "R6", "Laser",
                           "Explode", "Drop", "Slide", "Grab"}) {
    ASSERT_TRUE(sound.effects.count(name)) << name;
    EXPECT_NE(sound.effects[name], nullptr) << name;
  }
  EXPECT_EQ(sound.effects.size(), 13u);
  // Pieces landing sound exactly like a menu click.
  EXPECT_EQ(sound.effects["Drop"], sound.effects["MenuClick"]);
  EXPECT_EQ(sound.currentMusic, "");
  EXPECT_FALSE(Mix_PlayingMusic());
  EXPECT_EQ(sound.lastMusicSetting, 1);
}

TEST_F(SoundManagerTest, TheDeviceFollowsTheMixingSettings) {
  struct Case {
    int frequency, stereo, chunkSize;
  };
  for (Case c :
       {Case{44100, 1, 8192}, Case{22050, 0, 2048}, Case{11025, 0, 1024}, Case{8000, 0, 0}}) {
    settings.Frequency = c.frequency;
    settings.Stereo = c.stereo;
    {
      RecordingManager sound;
      sound.init();
      EXPECT_EQ(sound.lastFrequency, c.frequency);
      EXPECT_EQ(sound.lastChannels, c.stereo ? 2 : 1);
      EXPECT_EQ(sound.lastFormat, 0x8010);
      EXPECT_EQ(sound.lastChunkSize, c.chunkSize) << c.frequency << " Hz";
    }
    // Shutting the sound object down closes the device again.
    int frequency = 0, channels = 0;
    Uint16 format = 0;
    EXPECT_EQ(Mix_QuerySpec(&frequency, &format, &channels), 0);
  }
}

TEST_F(SoundManagerTest, TheDeviceOpensOnceAtTheFirstRate) {
  settings.Frequency = 11025;
  RecordingManager sound;
  sound.init();
  int frequency = 0, channels = 0;
  Uint16 format = 0;
  ASSERT_EQ(Mix_QuerySpec(&frequency, &format, &channels), 1);
  EXPECT_EQ(frequency, 11025);
  EXPECT_EQ(channels, 1);
  EXPECT_EQ(format, AUDIO_S16LSB);

  sound.playMusic("MenuMusic");
  EXPECT_EQ(sound.SoundPlayer::openAudio(44100, AUDIO_S16LSB, 2, 4096), 0);
  Mix_QuerySpec(&frequency, &format, &channels);
  EXPECT_EQ(frequency, 11025);
  // Asking again does not reset what is playing.
  EXPECT_EQ(sound.currentMusic, "MenuMusic");
  EXPECT_TRUE(Mix_PlayingMusic());
}

TEST_F(SoundManagerTest, MenuMusicAskedForAgainKeepsPlayingWithoutARestart) {
  SoundManager& sound = start();
  EXPECT_EQ(sound.playMusic("MenuMusic"), 0);
  EXPECT_TRUE(Mix_PlayingMusic());
  EXPECT_EQ(sound.currentMusic, "MenuMusic");
  // Pausing shows a restart: starting a module un-pauses the mixer.
  Mix_PauseMusic();
  EXPECT_EQ(sound.playMusic("MenuMusic"), 0);
  EXPECT_TRUE(Mix_PausedMusic());
  Mix_ResumeMusic();

  // A different module does start.
  EXPECT_EQ(sound.playMusic("1pMusic"), 0);
  EXPECT_EQ(sound.currentMusic, "1pMusic");
  EXPECT_TRUE(Mix_PlayingMusic());
}

TEST_F(SoundManagerTest, TheGameOverTuneIsUnknownAndTheMenuMusicPlaysOn) {
  SoundManager& sound = start();
  sound.playMusic("MenuMusic");
  EXPECT_EQ(sound.playMusic("Over"), -1);
  EXPECT_TRUE(Mix_PlayingMusic());
  EXPECT_EQ(sound.currentMusic, "MenuMusic");
  // Looking the name up did not leave an empty entry behind.
  EXPECT_EQ(sound.music.count("Over"), 0u);
}

TEST_F(SoundManagerTest, MusicSwitchedOffAndOnInTheOptionsResumesTheSameModule) {
  SoundManager& sound = start();
  sound.playMusic("2pMusic");

  settings.Music = 0;
  sound.musicSettingChanged();
  EXPECT_FALSE(Mix_PlayingMusic());
  EXPECT_EQ(sound.currentMusic, "2pMusic");
  // While music is off, requests succeed but change nothing.
  EXPECT_EQ(sound.playMusic("MenuMusic"), 0);
  EXPECT_EQ(sound.currentMusic, "2pMusic");
  EXPECT_FALSE(Mix_PlayingMusic());
  // Leaving another menu with the setting unchanged does nothing either.
  sound.musicSettingChanged();
  EXPECT_FALSE(Mix_PlayingMusic());

  settings.Music = 1;
  sound.musicSettingChanged();
  EXPECT_TRUE(Mix_PlayingMusic());
  EXPECT_EQ(sound.currentMusic, "2pMusic");
}

TEST_F(SoundManagerTest, MusicSwitchedOnBeforeAnyWasStartedStaysQuiet) {
  settings.Music = 0;
  SoundManager& sound = start();
  EXPECT_EQ(sound.lastMusicSetting, 0);
  EXPECT_EQ(sound.playMusic("MenuMusic"), 0);
  EXPECT_EQ(sound.currentMusic, "");

  settings.Music = 1;
  sound.musicSettingChanged();
  EXPECT_FALSE(Mix_PlayingMusic());
  EXPECT_EQ(sound.currentMusic, "");
  EXPECT_EQ(sound.lastMusicSetting, 1);
}

TEST_F(SoundManagerTest, EffectsPlayOnlyWhileSwitchedOn) {
  SoundManager& sound = start();
  EXPECT_EQ(sound.playEffect("Grab"), 0);
  EXPECT_GE(Mix_Playing(-1), 1);
  Mix_HaltChannel(-1);
  EXPECT_EQ(sound.playEffect("NoSuchEffect"), -1);

  settings.Effects = 0;
  EXPECT_EQ(sound.playEffect("Explode"), 0);
  EXPECT_EQ(Mix_Playing(-1), 0);
}

TEST_F(SoundManagerTest, EffectsSwitchedOffAreStillLoadedAtStartUp) {
  settings.Effects = 0;
  SoundManager& sound = start();
  EXPECT_EQ(sound.effects.size(), 13u);
  settings.Effects = 1;
  EXPECT_EQ(sound.playEffect("R6"), 0);
  EXPECT_GE(Mix_Playing(-1), 1);
}

TEST_F(SoundManagerTest, AMissingEffectFileEndsStartUpWithTheResourceMessage) {
  for (int effects : {1, 0}) {
    settings.Effects = effects;
    std::filesystem::remove(folder.sounds("grab.wav"));
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
}

TEST_F(SoundManagerTest, AnUndecodableEffectIsSkippedAndTheRestLoads) {
  folder.dir.write("Sounds/Laser.wav", "RIFF this is not a sound at all");
  folder.dir.write("Sounds/Reaction3.wav", "");
  SoundManager& sound = start();
  EXPECT_EQ(sound.effects.count("Laser"), 0u);
  EXPECT_EQ(sound.effects.count("R3"), 0u);
  EXPECT_EQ(sound.playEffect("Laser"), -1);
  for (const char* name : {"R4", "Explode", "Drop", "Slide", "Grab"})
    EXPECT_EQ(sound.effects.count(name), 1u) << name;
}

TEST_F(SoundManagerTest, AMissingModuleLeavesItsNameUnbound) {
  std::filesystem::remove(folder.sounds("ingame2.s3m"));
  SoundManager& sound = start();
  EXPECT_EQ(sound.music.count("2pMusic"), 0u);
  sound.playMusic("1pMusic");
  EXPECT_EQ(sound.playMusic("2pMusic"), -1);
  EXPECT_EQ(sound.currentMusic, "1pMusic");
  EXPECT_TRUE(Mix_PlayingMusic());
}

TEST_F(SoundManagerTest, AGameDrivesTheSoundThroughItsBus) {
  SoundManager& sound = start();
  MessageBus bus;
  bus.subscribe(PlaySound, &sound.listener);
  bus.subscribe(PlayMusic, &sound.listener);

  std::string tune = "1pMusic";
  EXPECT_EQ(bus.post(PlayMusic, &tune), 1);
  EXPECT_EQ(sound.currentMusic, "1pMusic");
  EXPECT_TRUE(Mix_PlayingMusic());

  std::string chain = "R2";
  bus.post(PlaySound, &chain);
  EXPECT_GE(Mix_Playing(-1), 1);

  // Other messages that reach the listener are ignored.
  sound.listener.handle(UpdateGame, &tune, &bus);
  std::string other = "2pMusic";
  sound.listener.handle(RenderFrame, &other, &bus);
  EXPECT_EQ(sound.currentMusic, "1pMusic");
}

TEST_F(SoundManagerTest, EffectsLoadedWithoutANameAreAddressedByIndex) {
  SoundManager& sound = start();
  std::string wav = folder.dir.read("Sounds/grab.wav");
  EXPECT_EQ(sound.loadEffect(wav.data(), static_cast<int>(wav.size()), ""), 0);
  EXPECT_EQ(sound.loadEffect(wav.data(), static_cast<int>(wav.size()), ""), 1);
  EXPECT_EQ(sound.loadEffect("junk", 4, ""), -1);
  EXPECT_EQ(sound.unnamedEffects.size(), 2u);
  EXPECT_EQ(sound.playEffectAt(1), 0);
  EXPECT_EQ(sound.playEffectAt(2), -1);
  EXPECT_EQ(sound.playEffectAt(-1), -1);
}

TEST_F(SoundManagerTest, ReloadingAClickKeepsTheSharedDropSound) {
  SoundManager& sound = start();
  Mix_Chunk* shared = sound.effects["MenuClick"];
  std::string wav = folder.dir.read("Sounds/grab.wav");
  ASSERT_EQ(sound.loadEffect(wav.data(), static_cast<int>(wav.size()), "MenuClick"), 0);
  EXPECT_NE(sound.effects["MenuClick"], shared);
  // "Drop" still holds the old chunk, which must still be playable.
  EXPECT_EQ(sound.effects["Drop"], shared);
  EXPECT_EQ(sound.playEffect("Drop"), 0);
}

TEST_F(SoundManagerTest, NoSoundBeforeTheDeviceIsOpened) {
  SoundManager sound;
  EXPECT_EQ(sound.playMusic("MenuMusic"), -1);
  EXPECT_EQ(sound.playEffect("Grab"), -1);
  EXPECT_EQ(sound.loadMusic("./Sounds/menu.s3m", ""), -1);
}

}  // namespace
