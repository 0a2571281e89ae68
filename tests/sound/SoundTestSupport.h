#pragma once

#include <string>

#include "TempDir.h"

// A working folder for a sound test: its "Sounds" holds a copy of the generated
// effects and modules, which a test may then spoil or remove one by one.
class SoundFolder {
public:
  SoundFolder();
  std::string sounds(const std::string& file) const { return dir.file("Sounds/" + file); }

  TempDir dir{true};
};

// Where the build put the generated audio.
std::string generatedSound(const std::string& file);
