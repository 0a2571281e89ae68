#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "KeyNames.h"
#include "Settings.h"
#include "TempDir.h"

namespace fs = std::filesystem;

namespace {

// The file a first run writes, byte for byte (first-run.ini beside this test).
std::string firstRunFile() {
  std::stringstream text;
  text << std::ifstream(PIGMORA_FIRST_RUN_INI, std::ios::binary).rdbuf();
  return text.str();
}

std::string edited(std::string text, const std::string& from, const std::string& to) {
  return text.replace(text.find(from), from.size(), to);
}

// Each test is a fresh run: default settings and key names, an empty working folder.
class SettingsFile : public ::testing::Test {
protected:
  void SetUp() override { settings = Settings(); }
  void TearDown() override {
    settings = Settings();
    KeyNameTable = savedNames;
  }
  std::string saved() { return folder.read("Pigmora.ini"); }
  void load(const std::string& text) {
    folder.write("Pigmora.ini", text);
    settings = Settings();
    ASSERT_EQ(settings.loadSettings(), 0);
  }
  Binding key(int code) { return settings.KeyBindings.at(code); }
  // Whether the file holds the player's new mixing rate, 22050 Hz.
  bool holdsTheNewRate(const std::string& name) {
    return folder.read(name).find("Frequency=22050\n") != std::string::npos;
  }
  static ino_t inodeOf(const std::string& name) {
    struct stat status {};
    stat(name.c_str(), &status);
    return status.st_ino;
  }

  TempDir folder{true};
  std::map<std::string, int> savedNames = KeyNameTable;
};

}  // namespace

TEST_F(SettingsFile, FirstRunWritesTheFactoryFile) {
  EXPECT_EQ(settings.loadSettings(), -2);
  ASSERT_EQ(settings.saveSettings(), 0);
  EXPECT_EQ(saved(), firstRunFile());
  EXPECT_EQ(settings.NumPlays, 0);  // the count in the file moves on, not the field
}

TEST_F(SettingsFile, SavingWhatWasLoadedGivesTheSameBytesAndCountsTheRun) {
  settings.Frequency = 22050;
  settings.Stereo = 1;
  settings.Music = 0;
  settings.Fullscreen = 1;
  settings.Threshold = 12345;
  settings.NumPlays = 4;
  for (int code : {91, 93}) settings.KeyBindings[code] = {Command::Grab, 1};  // "[" and "]"
  settings.KeyBindings[61] = {Command::Drop, 1};                              // "="
  settings.KeyBindings[32] = {Command::Pause, 0};
  settings.KeyBindings[273] = {Command::Left, 1};  // captured away from player 1
  settings.JoystickBindings[JoystickInput{1, 9, 0, 0, 2}.code()] = {Command::Drop, 0};
  settings.JoystickBindings[JoystickInput{0, 11, 3, 1, 0}.code()] = {Command::PowerUp, 1};
  ASSERT_EQ(settings.saveSettings(), 0);
  std::string first = saved();
  EXPECT_NE(first.find("Grab=LeftBracket ] S J2B1 \n"), std::string::npos) << first;
  EXPECT_NE(first.find("Drop== W J2B2 \n"), std::string::npos) << first;
  load(first);
  EXPECT_EQ(settings.NumPlays, 5);
  EXPECT_EQ(settings.Fullscreen, 1);
  EXPECT_EQ(settings.bindingText(Command::Drop, 0), "J1B2 J10B3 ");
  EXPECT_EQ(settings.bindingText(Command::Grab, 1), "[ ] S J2B1 ");  // as the menus show it
  settings.NumPlays -= 1;
  ASSERT_EQ(settings.saveSettings(), 0);
  EXPECT_EQ(saved(), first);
}

TEST_F(SettingsFile, HandEditedBindingsRead) {
  struct Case {
    const char *from, *to;
    int code;
    Binding binding;
  } cases[] = {
      {"Grab=Down J1B1", "Grab=[ Down J1B1", 91, {Command::Grab, 0}},       // an old bare bracket
      {"Grab=Down J1B1", "Grab=[ Down J1B1", 127, {Command::PullDown, 0}},  // loses nothing after
      {"Left=A J2L", "Left=A Left J2L", 276, {Command::Left, 1}},       // the last text read wins
      {"PowerUp=Keypad0 Ins J1B3 \n", "", '.', {Command::PowerUp, 0}},  // a missing key: default
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.to);
    load(edited(firstRunFile(), c.from, c.to));
    EXPECT_EQ(key(c.code), c.binding);
  }
  EXPECT_EQ(settings.KeyBindings.count(277), 0u);  // loading starts from empty maps
  EXPECT_EQ(settings.JoystickBindings.at(joystickCode("J1B3")), (Binding{Command::PowerUp, 0}));
}

TEST_F(SettingsFile, BrokenFilesLoadWithoutHarmAndKeepDefaults) {
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 131 + 7) % 256);
  const std::string broken[] = {
      "",
      binary,
      "[Joystick]\nThreshold=" + std::string(4 << 20, '9') + "\n",
      "[Sounds]\nFrequency=fast\nMusic=\nStereo=  \n\n[Joystick]\nThreshold=--3\n",
      "no sections at all\nLeft=Up\n",
      "[P1Controls]\nLeft=NoSuchKey J1Z J99Q Jx \n\n"};
  for (const std::string& text : broken) {
    SCOPED_TRACE(text.substr(0, 20));
    load(text);
    EXPECT_TRUE(settings.Frequency == 44100 && settings.Music == 1 && settings.Stereo == 0 &&
                settings.Effects == 1 && settings.Antialias == 0);
    EXPECT_TRUE(text.size() > 4000000 || settings.Threshold == 20000);
    EXPECT_EQ(settings.bindingText(Command::Right, 0), "Right J1R ");
  }
  // The unknown name binds code 0 (and names it); the unusable joystick tokens bind nothing.
  EXPECT_EQ(settings.bindingText(Command::Left, 0), "NoSuchKey ");
}

TEST_F(SettingsFile, CarriageReturnLineEndsReadLikePlainOnes) {
  std::string text;
  for (char c : edited(firstRunFile(), "Frequency=44100", "Frequency=22050"))
    text += c == '\n' ? "\r\n" : std::string(1, c);
  load(text);
  EXPECT_EQ(settings.Frequency, 22050);
  EXPECT_EQ(settings.KeyBindings.count(0), 0u);  // no stray "\r" key
  settings.Frequency = 44100;
  ASSERT_EQ(settings.saveSettings(), 0);
  EXPECT_EQ(saved(), edited(firstRunFile(), "NumPlays=1", "NumPlays=2"));
}

TEST_F(SettingsFile, ACommandLeftWithoutInputsStaysThatWay) {
  settings.KeyBindings[keyCode("P")] = {Command::PullDown, 1};  // Pause's only key
  ASSERT_EQ(settings.saveSettings(), 0);
  EXPECT_NE(saved().find("Pause=None\n"), std::string::npos);
  load(saved());
  EXPECT_EQ(settings.bindingText(Command::Pause, 0), "");
  EXPECT_EQ(key(keyCode("P")), (Binding{Command::PullDown, 1}));
}

TEST_F(SettingsFile, SavingSwapsTheFileInWholeKeepingItsPermissionsAndAnyLinkToIt) {
  settings.Frequency = 22050;
  fs::create_directory("dotfiles");
  for (bool linked : {false, true}) {
    SCOPED_TRACE(linked ? "linked from a dotfiles folder" : "an ordinary file");
    const std::string real = linked ? "dotfiles/Pigmora.ini" : "Pigmora.ini";
    fs::remove("Pigmora.ini");
    folder.write(real, "[Sounds]\nFrequency=44100\n\n");
    if (linked) fs::create_symlink(real, "Pigmora.ini");
    fs::permissions(real, fs::perms(0640));
    const ino_t before = inodeOf(real);
    ASSERT_EQ(settings.saveSettings(), 0);
    EXPECT_EQ(fs::is_symlink("Pigmora.ini"), linked);
    EXPECT_TRUE(holdsTheNewRate(real));
    EXPECT_EQ(static_cast<int>(fs::status(real).permissions()), 0640);
    EXPECT_NE(inodeOf(real), before);  // a new file took the old one's place
    EXPECT_FALSE(fs::exists(real + ".new"));
  }
}

// The folder is read-only, the file is the player's own. Root writes into any folder, so
// root plays that player as "nobody", in a child process.
TEST_F(SettingsFile, AFolderThatTakesNoNewFilesGetsTheFileWrittenInPlace) {
  settings.Frequency = 22050;
  folder.write("Pigmora.ini", "[Sounds]\nFrequency=44100\n\n");
  const passwd* nobody = getpwnam("nobody");
  const bool root = geteuid() == 0;
  if (root) {
    ASSERT_NE(nobody, nullptr);
    ASSERT_EQ(chown("Pigmora.ini", nobody->pw_uid, nobody->pw_gid), 0);
  }
  fs::permissions(".", fs::perms(0555));
  const ino_t before = inodeOf("Pigmora.ini");
  const pid_t child = fork();
  if (child == 0) {
    if (root && (setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0)) _exit(2);
    _exit(settings.saveSettings() == 0 ? 0 : 1);
  }
  int status = -1;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  fs::permissions(".", fs::perms::owner_all, fs::perm_options::add);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
  EXPECT_TRUE(holdsTheNewRate("Pigmora.ini"));
  EXPECT_EQ(inodeOf("Pigmora.ini"), before);
}
