#include <gtest/gtest.h>

#include <fstream>

#include "KeyNames.h"
#include "Settings.h"
#include "TempDir.h"

namespace {

const char* const FirstRunFile =
    "[P1Controls]\n"
    "Left=Left J1L \n"
    "Right=Right J1R \n"
    "Grab=Down J1B1 \n"
    "Drop=Up J1B2 \n"
    "PowerUp=Keypad0 Ins J1B3 \n"
    "PullDown=Del Keypad. J1B4 \n"
    "\n"
    "[P2Controls]\n"
    "Left=A J2L \n"
    "Right=D J2R \n"
    "Grab=S J2B1 \n"
    "Drop=W J2B2 \n"
    "PowerUp=V J2B3 \n"
    "PullDown=B J2B4 \n"
    "\n"
    "[GlobalControls]\n"
    "Pause=P \n"
    "AbortGame=Esc \n"
    "\n"
    "[Misc]\n"
    "NumPlays=1\n"
    "\n"
    "[Joystick]\n"
    "Threshold=20000\n"
    "\n"
    "[Graphics]\n"
    "Antialias=0\n"
    "Fullscreen=0\n"
    "\n"
    "[Sounds]\n"
    "Music=1\n"
    "Effects=1\n"
    "Frequency=44100\n"
    "Stereo=0\n"
    "\n";

// Each test starts a fresh run: default settings, a fresh key-name table, and an empty
// working folder of its own.
class SettingsFile : public ::testing::Test {
protected:
  void SetUp() override {
    settings = Settings();
    savedNames = KeyNameTable;
  }
  void TearDown() override {
    settings = Settings();
    KeyNameTable = savedNames;
  }
  std::string saved() { return folder.read("Pigmora.ini"); }
  void store(const std::string& text) { folder.write("Pigmora.ini", text); }
  Binding keyBinding(int code) { return settings.KeyBindings.at(code); }

  TempDir folder{true};
  std::map<std::string, int> savedNames;
};

}  // namespace

TEST_F(SettingsFile, FirstRunWritesTheDocumentedFile) {
  EXPECT_EQ(settings.loadSettings(), -2);
  EXPECT_EQ(keyBinding(277), (Binding{Command::PowerUp, 0}));
  EXPECT_EQ(keyBinding(266), (Binding{Command::PullDown, 0}));
  ASSERT_EQ(settings.saveSettings(), 0);
  EXPECT_EQ(saved(), FirstRunFile);
  EXPECT_EQ(settings.NumPlays, 0);  // the count in the file moves on, not the field
}

TEST_F(SettingsFile, SavingWhatWasLoadedGivesTheSameBytes) {
  auto roundTrip = [this] {
    ASSERT_EQ(settings.saveSettings(), 0);
    std::string first = saved();
    settings = Settings();
    ASSERT_EQ(settings.loadSettings(), 0);
    settings.NumPlays -= 1;  // the count is meant to move on by one per run
    ASSERT_EQ(settings.saveSettings(), 0);
    EXPECT_EQ(saved(), first);
  };
  roundTrip();  // factory bindings

  settings.Frequency = 22050;
  settings.Stereo = 1;
  settings.Music = 0;
  settings.Fullscreen = 1;
  settings.Threshold = 12345;
  settings.KeyBindings[91] = {Command::Grab, 1};   // the "[" key
  settings.KeyBindings[93] = {Command::Grab, 1};   // "]"
  settings.KeyBindings[61] = {Command::Drop, 1};   // "="
  settings.KeyBindings[32] = {Command::Pause, 0};  // "Space"
  settings.KeyBindings[273] = {Command::Left, 1};  // captured away from player 1
  settings.JoystickBindings[JoystickInput{1, 9, 0, 0, 2}.code()] = {Command::Drop, 0};
  settings.JoystickBindings[JoystickInput{0, 11, 3, 1, 0}.code()] = {Command::PowerUp, 1};
  roundTrip();

  EXPECT_EQ(settings.Fullscreen, 1);  // full screen is remembered
  EXPECT_EQ(keyBinding(91), (Binding{Command::Grab, 1}));
  EXPECT_EQ(settings.bindingText(Command::Drop, 0), "J1B2 J10B3 ");
  EXPECT_NE(saved().find("Grab=LeftBracket ] S J2B1 \n"), std::string::npos) << saved();
  EXPECT_NE(saved().find("Drop== W J2B2 \n"), std::string::npos) << saved();
}

TEST_F(SettingsFile, AnOldBareBracketStillReadsAndLosesNothingAfterIt) {
  std::string text = FirstRunFile;
  text.replace(text.find("Grab=Down J1B1"), 14, "Grab=[ Down J1B1");
  store(text);
  ASSERT_EQ(settings.loadSettings(), 0);
  EXPECT_EQ(keyBinding(91), (Binding{Command::Grab, 0}));
  EXPECT_EQ(keyBinding(277), (Binding{Command::PowerUp, 0}));  // later keys of the section
  EXPECT_EQ(keyBinding(127), (Binding{Command::PullDown, 0}));
}

TEST_F(SettingsFile, MissingKeysFallBackToTheirOwnDefaults) {
  std::string text = FirstRunFile;
  text.erase(text.find("PowerUp=Keypad0"), std::string("PowerUp=Keypad0 Ins J1B3 \n").size());
  store(text);
  ASSERT_EQ(settings.loadSettings(), 0);
  EXPECT_EQ(keyBinding('.'), (Binding{Command::PowerUp, 0}));
  EXPECT_EQ(settings.JoystickBindings.at(joystickCode("J1B3")), (Binding{Command::PowerUp, 0}));
  EXPECT_EQ(settings.KeyBindings.count(277), 0u);  // loading starts from empty maps
  EXPECT_EQ(settings.KeyBindings.count(256), 0u);
}

TEST_F(SettingsFile, AKeyNamedTwiceBelongsToTheTextReadLast) {
  std::string text = FirstRunFile;
  text.replace(text.find("Left=A J2L"), 10, "Left=A Left J2L");
  store(text);
  ASSERT_EQ(settings.loadSettings(), 0);
  EXPECT_EQ(keyBinding(276), (Binding{Command::Left, 1}));
  EXPECT_EQ(keyBinding(97), (Binding{Command::Left, 1}));
  EXPECT_EQ(settings.bindingText(Command::Left, 0), "J1L ");
}

TEST_F(SettingsFile, RunsAreCountedAndFactoryDefaultsKeepOptions) {
  store("[Misc]\nNumPlays=5\n\n[Sounds]\nMusic=0\nFrequency=11025\n\n");
  ASSERT_EQ(settings.loadSettings(), 0);
  EXPECT_EQ(settings.NumPlays, 5);
  settings.KeyBindings[120] = {Command::Grab, 0};
  settings.resetBindings();
  EXPECT_EQ(settings.KeyBindings.count(120), 0u);
  EXPECT_EQ(settings.bindingText(Command::PowerUp, 0), "Keypad0 Ins J1B3 ");
  EXPECT_EQ(settings.Music, 0);
  EXPECT_EQ(settings.Frequency, 11025);
  ASSERT_EQ(settings.saveSettings(), 0);
  EXPECT_NE(saved().find("NumPlays=6\n"), std::string::npos);
}

TEST_F(SettingsFile, BrokenFilesLoadWithoutHarmAndKeepDefaults) {
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 131 + 7) % 256);
  std::string huge = "[Joystick]\nThreshold=" + std::string(4 << 20, '9') + "\n";
  const std::string broken[] = {
      "",
      binary,
      huge,
      "[Sounds]\nFrequency=fast\nMusic=\nStereo=  \n\n[Joystick]\nThreshold=--3\n",
      "no sections at all\nLeft=Up\n",
      "[P1Controls]\nLeft=NoSuchKey J1Z J99Q Jx \n\n",
  };
  for (const std::string& text : broken) {
    bool isHuge = text.size() == huge.size();
    settings = Settings();
    store(text);
    ASSERT_EQ(settings.loadSettings(), 0);
    EXPECT_EQ(settings.Frequency, 44100);
    EXPECT_EQ(settings.Music, 1);
    EXPECT_EQ(settings.Stereo, 0);
    EXPECT_EQ(settings.Effects, 1);
    EXPECT_EQ(settings.Antialias, 0);
    if (!isHuge) {
      EXPECT_EQ(settings.Threshold, 20000);
    }
    EXPECT_EQ(settings.bindingText(Command::Right, 0), "Right J1R ");
  }
  // The unknown name binds code 0 (and names it); the unusable joystick tokens bind nothing.
  EXPECT_EQ(settings.bindingText(Command::Left, 0), "NoSuchKey ");
}

TEST_F(SettingsFile, CarriageReturnLineEndsReadLikePlainOnes) {
  std::string text;
  for (const char* c = FirstRunFile; *c; ++c) {
    if (*c == '\n') text += '\r';
    text += *c;
  }
  text.replace(text.find("Frequency=44100"), 15, "Frequency=22050");
  store(text);
  ASSERT_EQ(settings.loadSettings(), 0);
  EXPECT_EQ(settings.Frequency, 22050);
  EXPECT_EQ(settings.KeyBindings.count(0), 0u);  // no stray "\r" key
  settings.Frequency = 44100;
  ASSERT_EQ(settings.saveSettings(), 0);
  std::string expected = FirstRunFile;
  expected.replace(expected.find("NumPlays=1"), 10, "NumPlays=2");
  EXPECT_EQ(saved(), expected);
}

TEST_F(SettingsFile, ACommandLeftWithoutInputsStaysThatWay) {
  // The player moved Pause's only key to player 2's pull-down.
  settings.KeyBindings[keyCode("P")] = {Command::PullDown, 1};
  ASSERT_EQ(settings.saveSettings(), 0);
  EXPECT_NE(saved().find("Pause=None\n"), std::string::npos);
  settings = Settings();
  ASSERT_EQ(settings.loadSettings(), 0);
  EXPECT_EQ(settings.bindingText(Command::Pause, 0), "");
  EXPECT_EQ(settings.KeyBindings.at(keyCode("P")), (Binding{Command::PullDown, 1}));
}
