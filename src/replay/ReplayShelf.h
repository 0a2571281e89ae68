#pragma once

#include <string>

#include "Replay.h"

// The folder of replays players keep: every game that ends is saved there as its own
// file, named by the time it ended, and only the newest ones are kept.
namespace ReplayShelf {
// "replays", beside the settings file.
extern const char* const Folder;
constexpr int Kept = 100;

// Saves the replay as a new file of the folder (made if missing) and removes the oldest
// of ours beyond `kept`; the file's path, or "" with the reason in `error`. A file is
// written whole under a temporary name first, so no half replay is ever left, and named
// in a step that never replaces a file, so games saved at once in one folder are all kept.
std::string save(const Replay& replay, const std::string& folder, int kept, std::string& error);
// The path of the newest replay in the folder, or "" when it has none.
std::string newest(const std::string& folder);
// Reads a replay file; false with "FILE: why" in `error`.
bool load(const std::string& path, Replay& replay, std::string& error);
}  // namespace ReplayShelf
