#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <filesystem>

#include "Settings.h"
#include "TempDir.h"

namespace fs = std::filesystem;

namespace {

// A run that ends with the player's new mixing rate being saved in the working folder.
class Saving : public ::testing::Test {
protected:
  void SetUp() override { settings.Frequency = 22050; }
  void TearDown() override { settings = saved; }
  bool holdsTheNewRate(const std::string& name) {
    return folder.read(name).find("Frequency=22050\n") != std::string::npos;
  }
  static ino_t inodeOf(const std::string& name) {
    struct stat status {};
    stat(name.c_str(), &status);
    return status.st_ino;
  }

  Settings saved = settings;
  TempDir folder{true};
};

}  // namespace

TEST_F(Saving, TheFileIsSwappedInWholeKeepingItsPermissionsAndAnyLinkToIt) {
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
TEST_F(Saving, AFolderThatTakesNoNewFilesGetsTheFileWrittenInPlace) {
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
