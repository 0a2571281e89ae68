#include "KeyNames.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

std::map<std::string, int> buildKeyNameTable() {
  std::map<std::string, int> table;
  auto add = [&table](int code, const std::string& name) { table[name] = code; };

  add(0, "WeirdKey");
  add(8, "BS");
  add(9, "Tab");
  add(12, "Clr");
  add(13, "Ret");
  add(19, "Pause");
  add(27, "Esc");
  add(32, "Space");
  for (int c = 33; c <= 64; ++c)
    if (c != 37) add(c, std::string(1, static_cast<char>(c)));
  for (int c = 91; c <= 96; ++c) add(c, std::string(1, static_cast<char>(c)));
  for (int c = 97; c <= 122; ++c) add(c, std::string(1, static_cast<char>(c - 32)));
  add(127, "Del");
  for (int c = 160; c <= 255; ++c) add(c, std::to_string(c));
  for (int c = 256; c <= 265; ++c) add(c, "Keypad" + std::to_string(c - 256));
  const char* keypad[] = {"Keypad.", "Keypad/",     "Keypad*", "Keypad-",
                          "Keypad+", "KeypadEnter", "Keypad="};
  for (int i = 0; i < 7; ++i) add(266 + i, keypad[i]);
  const char* navigation[] = {"Up", "Down", "Right", "Left", "Ins", "Home", "End", "PgUp", "PgDn"};
  for (int i = 0; i < 9; ++i) add(273 + i, navigation[i]);
  for (int i = 0; i < 15; ++i) add(282 + i, "F" + std::to_string(i + 1));
  const char* modifiers[] = {"NumLk", "CapsLk", "ScrlLk",  "RShift", "LShift", "RCtrl",
                             "LCtrl", "RAlt",   "LAlt",    "RMeta",  "LMeta",  "LWin",
                             "RWin",  "Mode",   "Compose", "Help",   "Print",  "SysReq",
                             "Break", "Menu",   "Power",   "Euro",   "Undo"};
  for (int i = 0; i < 23; ++i) add(300 + i, modifiers[i]);
  return table;
}

// Packs like JoystickInput::code, with the small fields sign-extended first.
int packAxis(int8_t joystick, int8_t axis, int positive) {
  uint32_t j = static_cast<uint32_t>(static_cast<int32_t>(joystick));
  uint32_t a = static_cast<uint32_t>(static_cast<int32_t>(axis));
  return static_cast<int>((j << 22) | (a << 8) | static_cast<uint32_t>(positive));
}

int packButton(int8_t joystick, int16_t button) {
  uint32_t j = static_cast<uint32_t>(0x200 | static_cast<int32_t>(joystick));
  uint32_t b = static_cast<uint32_t>(static_cast<int32_t>(button));
  return static_cast<int>((j << 22) | b);
}

}  // namespace

std::map<std::string, int> KeyNameTable = buildKeyNameTable();

int keyCode(const std::string& name) {
  // operator[] is deliberate: an unknown name joins the table bound to code 0.
  return KeyNameTable[name];
}

std::string keyName(int code) {
  for (const auto& [name, value] : KeyNameTable)
    if (value == code) return name;
  return "Unknown";
}

std::string joystickName(int code) {
  uint32_t bits = static_cast<uint32_t>(code);
  int joystick = static_cast<int>((bits >> 22) & 127) + 1;
  char text[40];
  if (bits & 0x80000000u) {
    int button = static_cast<int16_t>(bits & 0xFFFF);
    std::snprintf(text, sizeof text, "J%dB%d", joystick, button + 1);
    return text;
  }
  int axis = static_cast<int8_t>((bits >> 8) & 0xFF);
  bool positive = (bits & 0xFF) != 0;
  if (axis == 0)
    std::snprintf(text, sizeof text, "J%d%c", joystick, positive ? 'R' : 'L');
  else if (axis == 1)
    std::snprintf(text, sizeof text, "J%d%c", joystick, positive ? 'D' : 'U');
  else
    std::snprintf(text, sizeof text, "J%dA%d%c", joystick, axis + 1, positive ? '+' : '-');
  return text;
}

int joystickCode(const std::string& token) {
  if (token.size() < 2) return InvalidJoystickCode;
  const char* text = token.c_str();
  int8_t joystick = static_cast<int8_t>(std::atoi(text + 1) - 1);

  // The kind letter follows the joystick number, so "J10L" names the tenth joystick.
  size_t letterAt = 1;
  if (text[letterAt] == '+' || text[letterAt] == '-') ++letterAt;
  while (letterAt < token.size() && std::isdigit(static_cast<unsigned char>(text[letterAt])))
    ++letterAt;
  if (letterAt >= token.size()) return InvalidJoystickCode;
  const char* rest = text + letterAt + 1;

  switch (text[letterAt]) {
    case 'B':
      return packButton(joystick, static_cast<int16_t>(std::atoi(rest) - 1));
    case 'A':
      return packAxis(joystick, static_cast<int8_t>(std::atoi(rest) - 1), token.back() == '+');
    case 'L':
      return packAxis(joystick, 0, 0);
    case 'R':
      return packAxis(joystick, 0, 1);
    case 'U':
      return packAxis(joystick, 1, 0);
    case 'D':
      return packAxis(joystick, 1, 1);
    default:
      return InvalidJoystickCode;
  }
}

int JoystickInput::code() const {
  return isButton ? packButton(joystick, button) : packAxis(joystick, axis, direction);
}
