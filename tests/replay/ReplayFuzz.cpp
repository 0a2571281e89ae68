// Feeds arbitrary text to the replay reader: whatever it accepts writes out as a text that
// reads back the same, and a short one plays to an end without trouble.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "Replay.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  Replay replay;
  std::string error;
  if (!replay.read(in, error)) {
    if (error.empty()) __builtin_trap();
    return 0;
  }
  std::istringstream again(replay.text());
  Replay reread;
  if (!reread.read(again, error) || reread.text() != replay.text()) __builtin_trap();
  if (replay.frames.size() <= 5000) playReplay(replay);
  return 0;
}
