#include <gtest/gtest.h>

#include <sys/resource.h>
#include <csignal>
#include <fstream>

#include "IniFile.h"
#include "TempDir.h"

namespace {
IniFile document(const std::string& text) {
  IniFile file;
  file.text = text;
  return file;
}
}  // namespace

TEST(IniFile, ReadsValuesAsTheyStand) {
  IniFile file = document(
      "[A]\nempty=\nspaced =1\nlead= x \nnum= 7\nmixed=7ab\nletters=ab\nneg=-1\n"
      "dup=first\ndup=second\n\n[B]\nonlyB=3\n\n");
  EXPECT_EQ(file.getString("A", "empty", "def"), "def");
  EXPECT_EQ(file.getString("A", "spaced", "def"), "def");
  EXPECT_EQ(file.getString("A", "lead", "def"), " x ");
  EXPECT_EQ(file.getInt("A", "num", 0), 7);
  EXPECT_EQ(file.getInt("A", "mixed", 0), 7);
  EXPECT_EQ(file.getInt("A", "letters", 42), 42);
  EXPECT_EQ(file.getInt("A", "neg", 0), -1);
  EXPECT_EQ(file.getString("A", "dup", ""), "first");
  EXPECT_EQ(file.getInt("A", "onlyB", 9), 9);  // found only in a later section
  EXPECT_EQ(file.getInt("B", "onlyB", 9), 3);
  EXPECT_EQ(file.getInt("C", "onlyB", 9), 9);
}

TEST(IniFile, KeySearchIsBySubstringFromTheHeader) {
  // "Left=" is found inside "PullLeft=" when that comes first: the dialect's own rule.
  IniFile file = document("[P]\nPullLeft=9\nLeft=1\n\n");
  EXPECT_EQ(file.getInt("P", "Left", 0), 9);
}

TEST(IniFile, BuildsTheWrittenShape) {
  IniFile file;
  file.setInt("Misc", "NumPlays", 1);
  file.setInt("Graphics", "Antialias", 0);
  file.setInt("Graphics", "Fullscreen", 0);
  EXPECT_EQ(file.text, "[Misc]\nNumPlays=1\n\n[Graphics]\nAntialias=0\nFullscreen=0\n\n");

  IniFile abc;
  abc.setInt("A", "x", 1);
  abc.setInt("A", "y", 2);
  abc.setInt("B", "z", 3);
  abc.setInt("A", "x", 10);
  EXPECT_EQ(abc.text, "[A]\nx=10\ny=2\n\n[B]\nz=3\n\n");
}

TEST(IniFile, BracketInsideAValueDoesNotEndItsSection) {
  IniFile file = document("[P1Controls]\nPowerUp=[ J1B3 \nPullDown=Del \n\n[P2Controls]\n");
  EXPECT_EQ(file.getString("P1Controls", "PowerUp", ""), "[ J1B3 ");
  EXPECT_EQ(file.getString("P1Controls", "PullDown", ""), "Del ");
  file.setString("P1Controls", "Grab", "Down ");
  EXPECT_EQ(file.text,
            "[P1Controls]\nPowerUp=[ J1B3 \nPullDown=Del \nGrab=Down \n\n[P2Controls]\n");
}

TEST(IniFile, ReadingAndWritingFiles) {
  TempDir dir;
  IniFile file;
  file.text = "kept";
  EXPECT_EQ(file.readFile(dir.file("missing.ini").c_str()), -1);
  EXPECT_EQ(file.text, "kept");

  dir.write("nul.ini", std::string("[A]\nx=1\n\n\0[B]\ny=2\n", 18));
  ASSERT_EQ(file.readFile(dir.file("nul.ini").c_str()), 0);
  EXPECT_EQ(file.text, "[A]\nx=1\n\n");  // a NUL byte ends the document

  file.setInt("A", "y", 2);
  ASSERT_EQ(file.writeFile(dir.file("out.ini").c_str()), 0);
  EXPECT_EQ(dir.read("out.ini"), "[A]\nx=1\ny=2\n\n");
  EXPECT_FALSE(std::ifstream(dir.file("out.ini.new")).good());
}

TEST(IniFile, FailedWriteKeepsTheOldFileAndSaysSo) {
  TempDir dir;
  const std::string old = "[Misc]\nNumPlays=4\n\n";
  dir.write("Pigmora.ini", old);
  IniFile file;
  file.text = std::string(1 << 16, 'x');

  // The disk fills up part-way through the write.
  rlimit saved;
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit tiny = saved;
  tiny.rlim_cur = 100;
  auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &tiny);
  int result = file.writeFile(dir.file("Pigmora.ini").c_str());
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previousHandler);

  EXPECT_EQ(result, -1);
  EXPECT_EQ(dir.read("Pigmora.ini"), old);
  EXPECT_FALSE(std::ifstream(dir.file("Pigmora.ini.new")).good());

  // The folder cannot take a new file at all.
  EXPECT_EQ(file.writeFile((dir.path() + "/no/such/folder/Pigmora.ini").c_str()), -1);
}
