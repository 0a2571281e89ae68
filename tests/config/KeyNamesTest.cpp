#include <gtest/gtest.h>

#include <set>

#include "KeyNames.h"

TEST(KeyNames, TableHasOneNamePerCodeAndTheFactoryNames) {
  std::map<std::string, int> fresh = KeyNameTable;
  std::set<int> codes;
  for (const auto& entry : fresh) codes.insert(entry.second);
  EXPECT_EQ(fresh.size(), 232u);
  EXPECT_EQ(codes.size(), 232u);

  EXPECT_EQ(keyName(276), "Left");
  EXPECT_EQ(keyCode("Keypad."), 266);
  EXPECT_EQ(keyName(97), "A");
  EXPECT_EQ(keyCode("A"), 97);
  EXPECT_EQ(keyName(34), "\"");
  EXPECT_EQ(keyName(92), "\\");
  EXPECT_EQ(keyName(200), "200");
  EXPECT_EQ(keyName(296), "F15");
  EXPECT_EQ(keyName(322), "Undo");
  EXPECT_EQ(keyName(37), "Unknown");
  EXPECT_EQ(keyName(65), "Unknown");
}

TEST(KeyNames, UnknownNamesJoinTheTableOnCodeZero) {
  std::map<std::string, int> saved = KeyNameTable;
  EXPECT_EQ(keyCode("a"), 0);  // names are case-sensitive
  EXPECT_EQ(keyCode("Unknown"), 0);
  EXPECT_EQ(KeyNameTable.count("Unknown"), 1u);
  // Code 0 now has several names; the first in name order wins.
  EXPECT_EQ(keyName(0), "Unknown");
  KeyNameTable = saved;
  EXPECT_EQ(keyName(0), "WeirdKey");
}

TEST(JoystickNames, FactoryTokensAndPacking) {
  EXPECT_EQ(joystickName(0), "J1L");
  EXPECT_EQ(joystickName(1), "J1R");
  EXPECT_EQ(joystickName(0x400001), "J2R");
  EXPECT_EQ(joystickName(0x101), "J1D");
  EXPECT_EQ(joystickName(static_cast<int>(0x80000002u)), "J1B3");
  EXPECT_EQ(joystickName(static_cast<int>(0x80400003u)), "J2B4");
  EXPECT_EQ(joystickName(0x201), "J1A3+");

  EXPECT_EQ(joystickCode("J1A3+"), 0x201);
  EXPECT_EQ(joystickCode("J1A3-"), 0x200);
  EXPECT_EQ(joystickCode("J1A3"), 0x200);
  EXPECT_EQ(joystickCode("J1U"), 0x100);

  JoystickInput button{1, 1, 0, 0, 3};
  EXPECT_EQ(button.code(), joystickCode("J2B4"));
  JoystickInput axis{0, 0, 1, 1, 0};
  EXPECT_EQ(axis.code(), joystickCode("J1D"));
  EXPECT_LT(joystickCode("J1B1"), joystickCode("J1L"));  // buttons sort before axes
}

TEST(JoystickNames, EveryCodeOfTheFirstNineJoysticksReadsBack) {
  for (int joystick = 0; joystick < 9; ++joystick) {
    for (int axis = 0; axis < 128; ++axis)
      for (int direction = 0; direction < 2; ++direction) {
        int code = JoystickInput{0, int8_t(joystick), int8_t(axis), int8_t(direction), 0}.code();
        ASSERT_EQ(joystickCode(joystickName(code)), code) << joystickName(code);
      }
    for (int button = 0; button < 32768; ++button) {
      int code = JoystickInput{1, int8_t(joystick), 0, 0, int16_t(button)}.code();
      ASSERT_EQ(joystickCode(joystickName(code)), code) << joystickName(code);
    }
  }
}

TEST(JoystickNames, TwoDigitJoysticksReadBack) {
  for (int joystick : {9, 11, 99, 127}) {
    for (int code : {JoystickInput{0, int8_t(joystick), 0, 0, 0}.code(),
                     JoystickInput{0, int8_t(joystick), 1, 1, 0}.code(),
                     JoystickInput{0, int8_t(joystick), 5, 1, 0}.code(),
                     JoystickInput{1, int8_t(joystick), 0, 0, 2}.code()})
      EXPECT_EQ(joystickCode(joystickName(code)), code) << joystickName(code);
  }
  EXPECT_EQ(joystickName(joystickCode("J10L")), "J10L");
  EXPECT_EQ(joystickName(joystickCode("J12B3")), "J12B3");
}

TEST(JoystickNames, UnreadableTokensBindNothing) {
  for (const char* token : {"J1X", "J1", "J", "Jx", "J12", "J1Q3"})
    EXPECT_EQ(joystickCode(token), InvalidJoystickCode) << token;
}
