#include <gtest/gtest.h>

#include "IniFile.h"

TEST(IniFile, ReadsValuesAsTheyStand) {
  IniFile file;
  file.text =
      "[A]\nempty=\nspaced =1\nlead= x \nnum= 7\nmixed=7ab\nletters=ab\nneg=-1\ndup=first\n"
      "dup=second\n\n[B]\nonlyB=3\n\n[P]\nPullLeft=9\nLeft=1\nPowerUp=[ J1B3 \nGrab=x\n\n";
  const struct {
    const char *section, *key, *value;  // "def" where the default is kept
  } strings[] = {{"A", "empty", "def"}, {"A", "spaced", "def"},      {"A", "lead", " x "},
                 {"A", "dup", "first"}, {"P", "PowerUp", "[ J1B3 "}, {"P", "Grab", "x"},
                 {"A", "onlyB", "def"}, {"C", "onlyB", "def"}};
  for (const auto& c : strings)
    EXPECT_EQ(file.getString(c.section, c.key, "def"), c.value) << c.key;
  const struct {
    const char *section, *key;
    int value;
  } numbers[] = {{"A", "num", 7},   {"A", "mixed", 7}, {"A", "letters", 42}, {"A", "neg", -1},
                 {"B", "onlyB", 3}, {"P", "Left", 9}};  // "Left=" is found inside "PullLeft="
  for (const auto& c : numbers) EXPECT_EQ(file.getInt(c.section, c.key, 42), c.value) << c.key;
}

TEST(IniFile, WritesNewKeysIntoTheirSectionAndNewSectionsAtTheEnd) {
  IniFile file;
  file.setInt("A", "x", 1);
  file.setInt("A", "y", 2);
  file.setInt("B", "z", 3);
  file.setInt("A", "x", 10);
  file.setString("B", "w", "[ J1B3 ");
  file.setString("B", "v", "Down ");  // a bracket inside a value does not end the section
  EXPECT_EQ(file.text, "[A]\nx=10\ny=2\n\n[B]\nz=3\nw=[ J1B3 \nv=Down \n\n");
}
