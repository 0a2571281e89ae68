// Feeds arbitrary documents to the settings reader: every lookup the game makes, the
// binding texts they hold, and a rewrite of the result.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "IniFile.h"
#include "KeyNames.h"
#include "Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::map<std::string, int> freshNames = KeyNameTable;
  KeyNameTable = freshNames;  // keep learnt names from piling up between inputs

  IniFile file;
  file.text.assign(reinterpret_cast<const char*>(data), size);
  file.text.resize(file.text.find('\0') == std::string::npos ? size : file.text.find('\0'));

  Settings loaded;
  loaded.applyDocument(file);

  // Whatever was read must write out as a document that reads back the same.
  IniFile rewritten;
  for (int player = 0; player < 2; ++player)
    for (int command = 0; command < 6; ++command)
      rewritten.setString(player ? "P2Controls" : "P1Controls", std::to_string(command).c_str(),
                          loaded.bindingText(command, player));
  for (int player = 0; player < 2; ++player)
    for (int command = 0; command < 6; ++command) {
      std::string text = loaded.bindingText(command, player);
      std::string back = rewritten.getString(player ? "P2Controls" : "P1Controls",
                                             std::to_string(command).c_str(), "");
      if (text != back) __builtin_trap();
    }
  file.setString("Misc", "NumPlays",
                 std::string(reinterpret_cast<const char*>(data), size > 8 ? 8 : size));
  (void)file.getInt("Misc", "NumPlays", 0);
  return 0;
}
