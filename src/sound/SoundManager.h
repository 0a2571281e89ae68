#pragma once

#include <string>

#include "Listener.h"
#include "SoundPlayer.h"

// The game's one sound object: the player with the Music and Effects settings as
// gates, the fixed set of the game's sounds, and a listener for a game's bus.
//
// Set-up: construct it (it becomes `soundManager`), call init() once, and delete it at
// shutdown. Each game subscribes `&listener` to PlaySound and then PlayMusic.
class SoundManager : public SoundPlayer {
public:
  SoundManager();
  ~SoundManager() override;

  // Forwards PlaySound and PlayMusic (data: std::string* name) to its owner; every
  // other message is ignored.
  class SoundListener : public Listener {
  public:
    explicit SoundListener(SoundManager* owner) : owner(owner) {}
    void handle(int id, void* data, MessageBus* bus) override;

  private:
    SoundManager* owner;
  };

  // Nothing is played while the Effects setting is 0 (the call still succeeds).
  int playEffect(std::string name) override;
  // Nothing changes while the Music setting is 0 (the call still succeeds).
  int playMusic(std::string name) override;
  // Called when the options may have changed the Music setting: switching it off
  // halts the music but remembers its name; switching it on starts that module again
  // from its beginning.
  void musicSettingChanged() override;

  // Opens the audio device from the settings, loads every sound and applies the Music
  // setting. Throws Error when an effect file is missing or unreadable.
  int init();
  // The fixed set: three modules from ./Sounds and the effects from the "Sounds"
  // library, "Drop" sharing the chunk of "MenuClick".
  void loadSounds();

  SoundListener listener{this};
  int lastMusicSetting = 0;
};

// The process-wide sound manager; null before one is made and after it is deleted.
extern SoundManager* soundManager;
