// Feeds arbitrary documents to the settings reader, then checks that whatever it made of
// them saves as a document that reads back to the very same settings.
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
  file.takeBytes(std::string(reinterpret_cast<const char*>(data), size));

  Settings loaded;
  loaded.applyDocument(file);
  IniFile saved = loaded.document();

  Settings again;
  again.applyDocument(saved);
  again.NumPlays = loaded.NumPlays;  // the run count moves on by one per save
  if (again.document().text != saved.text) __builtin_trap();
  if (again.KeyBindings.size() > loaded.KeyBindings.size()) __builtin_trap();
  return 0;
}
