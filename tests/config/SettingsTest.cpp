#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sys/sysmacros.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "IniFile.h"
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

  // Runs what in a child process, as the player "nobody" when the tests run as root (root
  // reads and writes anywhere), and kills it after killAfter microseconds, or ten seconds:
  // its exit status (-1 when killed) and what it wrote on standard error.
  struct Outcome {
    int status = -1;
    std::string errors;
  };
  static Outcome asPlayer(const std::function<int()>& what, int killAfter = 10000000) {
    testing::internal::CaptureStderr();  // the child writes into the same capture
    const pid_t child = fork();
    if (child == 0) {
      const passwd* nobody = getpwnam("nobody");
      if (geteuid() == 0 && (!nobody || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0))
        _exit(125);
      int status = 124;
      try {
        status = what();
      } catch (...) {
      }
      _exit(status);
    }
    int status = 0;
    for (int waited = 0; waitpid(child, &status, WNOHANG) == 0; waited += 100) {
      if (waited >= killAfter) kill(child, SIGKILL);
      usleep(100);
    }
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, testing::internal::GetCapturedStderr()};
  }
  // Hands the file (or folder) to the player asPlayer plays.
  static void giveToPlayer(const std::string& name) {
    const passwd* nobody = getpwnam("nobody");
    if (geteuid() == 0 && nobody) {
      EXPECT_EQ(lchown(name.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    }
  }

  TempDir folder{true};
  std::map<std::string, int> savedNames = KeyNameTable;
};

}  // namespace

TEST_F(SettingsFile, FirstRunWritesTheFactoryFile) {
  EXPECT_EQ(settings.loadSettings(), -2);
  ASSERT_EQ(settings.saveSettings(), 0);
  EXPECT_EQ(saved(), firstRunFile());
  EXPECT_EQ(settings.NumPlays, 0);     // the count in the file moves on, not the field
  EXPECT_EQ(settings.DisplayTime, 1);  // the game shows its clock, a choice no file keeps
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
      "[Joystick]\nThreshold=" + std::string(1 << 19, '9') + "\n",
      "[Sounds]\nFrequency=fast\nMusic=\nStereo=  \n\n[Joystick]\nThreshold=--3\n",
      "no sections at all\nLeft=Up\n",
      "[P1Controls]\nLeft=NoSuchKey J1Z J99Q Jx \n\n"};
  for (const std::string& text : broken) {
    SCOPED_TRACE(text.substr(0, 20));
    load(text);
    EXPECT_TRUE(settings.Frequency == 44100 && settings.Music == 1 && settings.Stereo == 0 &&
                settings.Effects == 1 && settings.Antialias == 0);
    EXPECT_TRUE(text.size() > 500000 || settings.Threshold == 20000);
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

// The folder is read-only, the file is the player's own: it is overwritten in place. A
// save killed at a random moment, again and again, leaves one document or the other (the
// shorter one padded with empty lines), never an empty or mixed file.
TEST_F(SettingsFile, AFolderThatTakesNoNewFilesGetsTheFileOverwrittenWholeOrNotAtAll) {
  IniFile longer, shorter;
  longer.text = firstRunFile();
  shorter.text = "[Misc]\nNumPlays=7\n\n";
  folder.write("Pigmora.ini", longer.text);
  giveToPlayer("Pigmora.ini");
  fs::permissions(".", fs::perms(0555));
  const ino_t before = inodeOf("Pigmora.ini");
  auto trimmed = [](std::string text) { return text.erase(text.find_last_not_of('\n') + 1); };
  auto saveForEver = [&] {
    for (int round = 0;; ++round) (round % 2 ? shorter : longer).writeFile("Pigmora.ini");
    return 0;
  };
  for (int kill = 0; kill < 100; ++kill) {
    asPlayer(saveForEver, 200 + kill * 37 % 3000);
    const std::string left = trimmed(folder.read("Pigmora.ini"));
    ASSERT_TRUE(left == trimmed(longer.text) || left == trimmed(shorter.text))
        << "after kill " << kill << ": \"" << left << "\"";
  }
  settings.Frequency = 22050;
  EXPECT_EQ(asPlayer([] { return settings.saveSettings(); }).status, 0);
  EXPECT_TRUE(holdsTheNewRate("Pigmora.ini"));
  EXPECT_EQ(inodeOf("Pigmora.ini"), before);
}

// A file the player cannot read or that is not a regular file, or is huge: a word on
// standard error, a run on defaults, and the file exactly as it was.
TEST_F(SettingsFile, FilesThatCannotBeUsedAreNeverWrittenOver) {
  const bool root = geteuid() == 0;
  fs::permissions(".", fs::perms(0777));  // the player may write the folder
  const struct {
    const char* what;
    std::function<void()> make;
  } cases[] = {
      {"unreadable",
       [this, root] {
         folder.write("Pigmora.ini", "[Misc]\nNumPlays=4\n\n");
         fs::permissions("Pigmora.ini", fs::perms(root ? 0600 : 0));
       }},
      {"a folder", [] { fs::create_directory("Pigmora.ini"); }},
      {"larger than 1 MiB",
       [] {
         std::ofstream("Pigmora.ini");
         fs::resize_file("Pigmora.ini", 64ull << 30);
       }},
      {"a link to a device",
       [root] {
         if (root)
           mknod("node", S_IFCHR | 0666, makedev(1, 3));
         else
           mkfifo("node", 0666);
         fs::create_symlink("node", "Pigmora.ini");
       }},
      {"a FIFO", [] { mkfifo("Pigmora.ini", 0666); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all("Pigmora.ini");
    fs::remove("node");
    c.make();
    struct stat before {
    }, after{};
    stat("Pigmora.ini", &before);
    Outcome run = asPlayer([] {
      const bool loaded = settings.loadSettings() == -1 && settings.NumPlays == 0;
      return loaded && settings.saveSettings() == -1 ? 0 : 1;
    });
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1) << run.errors;
    EXPECT_EQ(run.errors.rfind("Pigmora.ini: ", 0), 0u) << run.errors;
    stat("Pigmora.ini", &after);
    EXPECT_TRUE(before.st_ino == after.st_ino && before.st_mode == after.st_mode &&
                before.st_size == after.st_size && before.st_uid == after.st_uid &&
                before.st_rdev == after.st_rdev);
  }
}

TEST_F(SettingsFile, ANulByteSpoilsOnlyItsOwnLine) {
  std::string text = edited(firstRunFile(), "Left=A J2L", std::string("Left=Z\0 J2L", 11));
  load(edited(text, "Stereo=0", "Stereo=1"));
  EXPECT_EQ(settings.bindingText(Command::Left, 1), "A J2L ");  // the line's default
  EXPECT_EQ(settings.NumPlays, 1);
  EXPECT_EQ(settings.Stereo, 1);
}

// Two games in one folder: each keeps the other's changes, and both runs are counted.
TEST_F(SettingsFile, TwoRunsInOneFolderMergeTheirChanges) {
  folder.write("Pigmora.ini", firstRunFile());
  Settings first, second;
  ASSERT_EQ(first.loadSettings(), 0);
  ASSERT_EQ(second.loadSettings(), 0);
  first.Effects = 0;
  second.Music = 0;
  second.KeyBindings[keyCode("X")] = {Command::Pause, 0};
  ASSERT_EQ(first.saveSettings(), 0);
  ASSERT_EQ(second.saveSettings(), 0);
  load(saved());
  EXPECT_EQ(settings.Effects, 0);
  EXPECT_EQ(settings.Music, 0);
  EXPECT_EQ(settings.NumPlays, 3);
  EXPECT_EQ(settings.bindingText(Command::Pause, 0), "P X ");
}

// A save that fails keeps the old file and says which file and why.
TEST_F(SettingsFile, AFailedSaveSaysWhy) {
  const struct {
    const char* what;
    int folderMode, fileMode;  // no file when 0
    rlim_t largestFile;        // the disk fills up part-way through the write
    const char* reason;
  } cases[] = {
      {"a link into a missing folder", 0777, 0, RLIM_INFINITY, "No such file or directory"},
      {"a read-only file in a read-only folder", 0555, 0444, RLIM_INFINITY, "Permission denied"},
      {"a full disk", 0777, 0644, 100, "the disk is full"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::permissions(".", fs::perms::owner_all, fs::perm_options::add);
    fs::remove("Pigmora.ini");
    if (c.fileMode) {
      folder.write("Pigmora.ini", "[Misc]\nNumPlays=4\n\n");
      giveToPlayer("Pigmora.ini");
      fs::permissions("Pigmora.ini", fs::perms(c.fileMode));
    } else {
      fs::create_symlink("gone/Pigmora.ini", "Pigmora.ini");
    }
    fs::permissions(".", fs::perms(c.folderMode));
    Outcome run = asPlayer([&c] {
      std::signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{c.largestFile, c.largestFile};
      setrlimit(RLIMIT_FSIZE, &limit);
      return settings.saveSettings() == -1 ? 0 : 1;
    });
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.errors,
              std::string("Pigmora.ini: the settings were not saved: ") + c.reason + "\n");
    EXPECT_FALSE(fs::exists("Pigmora.ini.new"));
    if (c.fileMode) {
      EXPECT_EQ(folder.read("Pigmora.ini"), "[Misc]\nNumPlays=4\n\n");
    }
  }
}
