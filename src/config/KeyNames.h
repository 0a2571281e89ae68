#pragma once

#include <cstdint>
#include <map>
#include <string>

// Readable names of SDL 1.2 key symbols, as stored in the settings file ("Left", "A",
// "Keypad0"). Built before main; keyCode adds names it does not know, with code 0.
extern std::map<std::string, int> KeyNameTable;

int keyCode(const std::string& name);
std::string keyName(int code);

// A joystick input packed into one int: bit 31 set for a button, the joystick index in
// bits 22..28, then either the button index (low 16 bits) or the axis index (bits 8..15)
// and its direction (1 positive, 0 negative) in the low byte.
int joystickCode(const std::string& token);
std::string joystickName(int code);

// What joystickCode gives for a token it cannot read: a button index of -1, which no
// joystick ever reports, so nothing is bound by it.
constexpr int InvalidJoystickCode = -1;

struct JoystickInput {
  int isButton;
  int8_t joystick;
  int8_t axis;
  int8_t direction;
  int16_t button;

  int code() const;
};
