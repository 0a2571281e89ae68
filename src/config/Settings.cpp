#include "Settings.h"

#include <climits>
#include <cstdio>
#include <sstream>

#include "IniFile.h"
#include "KeyNames.h"

Settings settings;
const char* const SettingsFileName = "Pigmora.ini";

namespace {

struct StoredBinding {
  const char* section;
  const char* key;
  int command;
  int player;
  const char* fallback;  // used when the file exists but lacks the key
};

const StoredBinding storedBindings[] = {
    {"P1Controls", "Left", Command::Left, 0, "Left J1L"},
    {"P1Controls", "Right", Command::Right, 0, "Right J1R"},
    {"P1Controls", "Grab", Command::Grab, 0, "Down J1B1"},
    {"P1Controls", "Drop", Command::Drop, 0, "Up J1B2"},
    {"P1Controls", "PowerUp", Command::PowerUp, 0, ". J1B3"},
    {"P1Controls", "PullDown", Command::PullDown, 0, "/ J1B4"},
    {"P2Controls", "Left", Command::Left, 1, "A J2L"},
    {"P2Controls", "Right", Command::Right, 1, "D J2R"},
    {"P2Controls", "Grab", Command::Grab, 1, "S J2B1"},
    {"P2Controls", "Drop", Command::Drop, 1, "W J2B2"},
    {"P2Controls", "PowerUp", Command::PowerUp, 1, "V J2B3"},
    {"P2Controls", "PullDown", Command::PullDown, 1, "B J2B4"},
    {"GlobalControls", "Pause", Command::Pause, 0, "P"},
    {"GlobalControls", "AbortGame", Command::AbortGame, 0, "Esc"},
};

struct StoredNumber {
  const char* section;
  const char* key;
  int Settings::*field;
};

// In the order of the file.
const StoredNumber storedNumbers[] = {
    {"Misc", "NumPlays", &Settings::NumPlays},
    {"Joystick", "Threshold", &Settings::Threshold},
    {"Graphics", "Antialias", &Settings::Antialias},
    {"Graphics", "Fullscreen", &Settings::Fullscreen},
    {"Sounds", "Music", &Settings::Music},
    {"Sounds", "Effects", &Settings::Effects},
    {"Sounds", "Frequency", &Settings::Frequency},
    {"Sounds", "Stereo", &Settings::Stereo},
};

struct FactoryKey {
  int code;
  Binding binding;
};

const FactoryKey factoryKeys[] = {
    {276, {Command::Left, 0}},     {275, {Command::Right, 0}},    {274, {Command::Grab, 0}},
    {273, {Command::Drop, 0}},     {277, {Command::PowerUp, 0}},  {256, {Command::PowerUp, 0}},
    {127, {Command::PullDown, 0}}, {266, {Command::PullDown, 0}}, {97, {Command::Left, 1}},
    {100, {Command::Right, 1}},    {115, {Command::Grab, 1}},     {119, {Command::Drop, 1}},
    {118, {Command::PowerUp, 1}},  {98, {Command::PullDown, 1}},  {112, {Command::Pause, 0}},
    {27, {Command::AbortGame, 0}},
};

struct FactoryJoystick {
  const char* token;
  Binding binding;
};

const FactoryJoystick factoryJoysticks[] = {
    {"J1L", {Command::Left, 0}},  {"J1R", {Command::Right, 0}},    {"J1B1", {Command::Grab, 0}},
    {"J1B2", {Command::Drop, 0}}, {"J1B3", {Command::PowerUp, 0}}, {"J1B4", {Command::PullDown, 0}},
    {"J2L", {Command::Left, 1}},  {"J2R", {Command::Right, 1}},    {"J2B1", {Command::Grab, 1}},
    {"J2B2", {Command::Drop, 1}}, {"J2B3", {Command::PowerUp, 1}}, {"J2B4", {Command::PullDown, 1}},
};

// The key called "[" would start a new section in the file, so it is stored under a
// name of its own. Files that hold the bare "[" still read back (see IniFile).
constexpr int LeftBracketCode = 91;
// Written for a command left without any input: an empty value would read back as the
// command's default inputs and take them away from wherever the player had put them.
const char* const NothingBound = "None";
const char* const LeftBracketStored = "LeftBracket";

std::string storedKeyName(int code) {
  if (code == LeftBracketCode) return LeftBracketStored;
  std::string name = keyName(code);
  // Names learnt from a hand-edited file all sit on code 0. One holding "=" could pass
  // for another key's line when the file is read back, and "[" for a section: write
  // that code's own name instead.
  if (code == 0 && name.find_first_of("[=\r\n\t ") != std::string::npos) return "WeirdKey";
  return name;
}

int storedKeyCode(const std::string& token) {
  if (token == LeftBracketStored) return LeftBracketCode;
  return keyCode(token);
}

bool isJoystickToken(const std::string& token) {
  return token.size() > 1 && token[0] == 'J';
}

void warn(const std::string& what) {
  std::fprintf(stderr, "%s: %s\n", SettingsFileName, what.c_str());
}

int readNumber(const IniFile& file, const char* section, const char* key, int current) {
  // A sentinel pair tells a missing or broken value from a stored one that happens to
  // equal the current value: only the broken ones deserve a word.
  int value = file.getInt(section, key, current);
  if (value == current && file.getInt(section, key, ~current) == ~current) {
    std::string raw = file.getString(section, key, "");
    if (!raw.empty())
      warn("[" + std::string(section) + "] " + key + "=" + raw + " is not a number; keeping " +
           std::to_string(current));
  }
  return value;
}

// A count that can go no higher stays where it is rather than wrap round.
int oneMorePlay(int plays) {
  return plays == INT_MAX ? plays : plays + 1;
}

}  // namespace

Settings::Settings() {
  resetBindings();
}

void Settings::resetBindings() {
  KeyBindings.clear();
  JoystickBindings.clear();
  for (const FactoryKey& key : factoryKeys) KeyBindings[key.code] = key.binding;
  for (const FactoryJoystick& joy : factoryJoysticks)
    JoystickBindings[joystickCode(joy.token)] = joy.binding;
}

std::string Settings::bindingText(int command, int player) const {
  return boundInputs(command, player, keyName);
}

std::string Settings::boundInputs(int command, int player,
                                  std::string (*nameOfKey)(int code)) const {
  Binding wanted{command, player};
  std::string text;
  for (const auto& [code, binding] : KeyBindings)
    if (binding == wanted) text += nameOfKey(code) + " ";
  for (const auto& [code, binding] : JoystickBindings)
    if (binding == wanted) text += joystickName(code) + " ";
  return text;
}

void Settings::addBindings(const std::string& text, int command, int player) {
  // Blanks separate tokens; tabs and the CR of a file saved with CR LF line ends are
  // taken as blanks too rather than as key names.
  std::istringstream tokens(text);
  std::string token;
  while (tokens >> token) {
    if (token == NothingBound) continue;
    if (isJoystickToken(token)) {
      int code = joystickCode(token);
      if (code == InvalidJoystickCode) {
        warn("\"" + token + "\" is not a joystick input; ignored");
        continue;
      }
      JoystickBindings[code] = Binding{command, player};
    } else {
      bool known = token == LeftBracketStored || KeyNameTable.count(token) > 0;
      if (!known) warn("\"" + token + "\" is not a key name");
      KeyBindings[storedKeyCode(token)] = Binding{command, player};
    }
  }
}

int Settings::loadSettings() {
  IniFile file;
  const int read = file.readFile(SettingsFileName);
  fileLoaded = read == IniFile::Read;
  leaveFileAlone = read == IniFile::Unusable;
  if (leaveFileAlone)
    warn(file.problem + "; playing with the default settings and leaving the file as it is");
  if (fileLoaded) {
    loadedText = file.text;
    applyDocument(file);
  }
  documentAtLoad = document().text;
  return fileLoaded ? 0 : leaveFileAlone ? -1 : -2;
}

void Settings::applyDocument(const IniFile& file) {
  KeyBindings.clear();
  JoystickBindings.clear();
  for (const StoredBinding& stored : storedBindings)
    addBindings(file.getString(stored.section, stored.key, stored.fallback), stored.command,
                stored.player);
  // Fullscreen is read back too, so that a player who chose full screen gets it again.
  for (const StoredNumber& stored : storedNumbers)
    this->*stored.field = readNumber(file, stored.section, stored.key, this->*stored.field);
}

int Settings::saveSettings() {
  if (leaveFileAlone) return -1;
  IniFile mine = document();
  IniFile disk;
  const int read = disk.readFile(SettingsFileName);
  if (read == IniFile::Unusable) {
    warn(disk.problem + "; the settings were not saved");
    return -1;
  }
  // Another run in the same folder saved since this one loaded.
  if (read == IniFile::Read && (!fileLoaded || disk.text != loadedText))
    takeUnchangedFrom(disk, mine);
  if (mine.writeFile(SettingsFileName) == 0) return 0;
  warn("the settings were not saved: " + mine.problem);
  return -1;
}

void Settings::takeUnchangedFrom(const IniFile& disk, IniFile& mine) const {
  IniFile atLoad;
  atLoad.text = documentAtLoad;
  auto take = [&](const char* section, const char* key) {
    const std::string value = disk.getString(section, key, "");
    if (!value.empty() && mine.getString(section, key, "") == atLoad.getString(section, key, ""))
      mine.setString(section, key, value);
  };
  for (const StoredBinding& stored : storedBindings) take(stored.section, stored.key);
  for (const StoredNumber& stored : storedNumbers) take(stored.section, stored.key);
  // Both runs count themselves.
  const int plays = disk.getInt("Misc", "NumPlays", -1);
  if (plays >= 0) mine.setInt("Misc", "NumPlays", oneMorePlay(plays));
}

IniFile Settings::document() const {
  IniFile file;
  for (const StoredBinding& stored : storedBindings) {
    std::string text = boundInputs(stored.command, stored.player, storedKeyName);
    file.setString(stored.section, stored.key, text.empty() ? NothingBound : text);
  }
  for (const StoredNumber& stored : storedNumbers)
    file.setInt(stored.section, stored.key, this->*stored.field);
  file.setInt("Misc", "NumPlays", oneMorePlay(NumPlays));
  return file;
}
