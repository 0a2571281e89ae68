#pragma once

#include <cstdint>
#include <string>

// What a network game's connect data carries, and what a Pigmora server checks, so that a
// stranger or another version is turned away before any game message: a marker, the
// program's version (major, minor) and the protocol of the sessions' messages.
uint32_t versionStamp(const std::string& programVersion);
// The program version a stamp names ("1.3"), or "" when the data is no stamp of ours.
std::string stampVersion(uint32_t stamp);
