#include <gtest/gtest.h>

#include "KeyNames.h"

TEST(KeyNames, ReadBothWays) {
  const std::pair<int, const char*> names[] = {{276, "Left"}, {266, "Keypad."}, {97, "A"},
                                               {34, "\""},    {92, "\\"},       {296, "F15"},
                                               {322, "Undo"}, {27, "Esc"},      {127, "Del"}};
  for (const auto& [code, name] : names) {
    EXPECT_EQ(keyName(code), name);
    EXPECT_EQ(keyCode(name), code) << name;
  }
  EXPECT_EQ(keyName(200), "200");  // a code without a name goes by its number
  EXPECT_EQ(keyName(65), "Unknown");
}

TEST(JoystickNames, ReadBothWays) {
  const std::pair<int, const char*> names[] = {
      {0, "J1L"},
      {1, "J1R"},
      {0x100, "J1U"},
      {0x101, "J1D"},
      {0x400001, "J2R"},
      {0x201, "J1A3+"},
      {0x200, "J1A3-"},
      {int(0x80000002u), "J1B3"},
      {int(0x80400003u), "J2B4"},
      {JoystickInput{0, 9, 5, 1, 0}.code(), "J10A6+"},
      {JoystickInput{1, 127, 0, 0, 32767}.code(), "J128B32768"}};
  for (const auto& [code, name] : names) {
    EXPECT_EQ(joystickName(code), name);
    EXPECT_EQ(joystickCode(name), code) << name;
  }
  EXPECT_EQ((JoystickInput{0, 0, 1, 1, 0}.code()), joystickCode("J1D"));
  EXPECT_EQ(joystickCode("J1A3"), 0x200);
  EXPECT_LT(joystickCode("J1B1"), joystickCode("J1L"));  // buttons sort before axes
}

TEST(JoystickNames, UnreadableTokensBindNothing) {
  for (const char* token : {"J1X", "J1", "J", "Jx", "J12", "J1Q3"})
    EXPECT_EQ(joystickCode(token), InvalidJoystickCode) << token;
}

// Every key with a name reads back as itself, and each run of names reaches both its ends
// with no gap (the percent sign was never a key name).
TEST(KeyNames, EveryNamedKeyReadsBackAndEveryRunReachesBothEnds) {
  for (int code = 0; code < 512; ++code) {
    std::string name = keyName(code);
    if (name != "Unknown") {
      EXPECT_EQ(keyCode(name), code) << name;
    }
  }
  const struct {
    int first, last;
    const char *firstName, *lastName;
  } runs[] = {{33, 64, "!", "@"},
              {91, 96, "[", "`"},
              {97, 122, "A", "Z"},
              {160, 255, "160", "255"},
              {256, 265, "Keypad0", "Keypad9"},
              {266, 272, "Keypad.", "Keypad="},
              {273, 281, "Up", "PgDn"},
              {282, 296, "F1", "F15"},
              {300, 322, "NumLk", "Undo"}};
  for (const auto& run : runs) {
    SCOPED_TRACE(run.firstName);
    EXPECT_EQ(keyName(run.first), run.firstName);
    EXPECT_EQ(keyName(run.last), run.lastName);
    for (int code = run.first; code <= run.last; ++code)
      if (code != '%') {
        EXPECT_NE(keyName(code), "Unknown") << code;
      }
  }
}
