#pragma once

#include <map>
#include <string>

#include "Binding.h"

class IniFile;

// Everything the player can configure. One global record, built with the defaults
// before main, filled from "Pigmora.ini" at start-up, edited in place by the options
// screens and written back whole when the main menu closes.
class Settings {
public:
  Settings();

  std::map<int, Binding> KeyBindings;       // SDL key symbol -> binding
  std::map<int, Binding> JoystickBindings;  // joystick code -> binding
  int Threshold = 20000;
  int Antialias = 0;
  int BoardColumns = 7;
  int BoardRows = 13;
  int Fullscreen = 0;
  int Frequency = 44100;
  int Stereo = 0;
  int Music = 1;
  int Effects = 1;
  int DisplayTime = 1;
  int NumPlays = 0;

  // 0 loaded, -2 there is no settings file (nothing changes then), -1 the file there is
  // not one to read or write over: one line on standard error says why, the defaults
  // stay, and saving leaves the file alone.
  int loadSettings();
  // The part of loading that works on a document already read.
  void applyDocument(const IniFile& file);
  // 0 written, -1 the file could not be written (the old one is kept; one line on
  // standard error says why). When another run changed the file since it was loaded, what
  // this run left as it was is taken from the file, and the play counts add up.
  int saveSettings();
  // The document saveSettings writes.
  IniFile document() const;
  void resetBindings();
  // Every input bound to (command, player) as the Controls screen shows it: key names,
  // then joystick tokens, each followed by one blank.
  std::string bindingText(int command, int player) const;
  void addBindings(const std::string& text, int command, int player);

private:
  // The file as loaded (fileLoaded) and the document this run's settings made then: what
  // saving compares against to tell this run's changes from another run's.
  bool fileLoaded = false;
  bool leaveFileAlone = false;
  std::string loadedText;
  std::string documentAtLoad;
  void takeUnchangedFrom(const IniFile& disk, IniFile& mine) const;
  // The same list with each key named by nameOfKey: the file names a few keys its own way.
  std::string boundInputs(int command, int player, std::string (*nameOfKey)(int code)) const;
};

extern Settings settings;

// The settings file, in the working folder.
extern const char* const SettingsFileName;
