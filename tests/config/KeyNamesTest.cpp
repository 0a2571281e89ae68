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
