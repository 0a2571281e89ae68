#include "VersionStamp.h"

#include <charconv>

#include "NetMessage.h"

namespace {
constexpr uint32_t StampMarker = 0x50;  // 'P'
}

uint32_t versionStamp(const std::string& programVersion) {
  unsigned major = 0, minor = 0;
  const char* text = programVersion.c_str();
  const char* end = text + programVersion.size();
  auto first = std::from_chars(text, end, major);
  if (first.ptr < end && *first.ptr == '.') std::from_chars(first.ptr + 1, end, minor);
  return StampMarker << 24 | (major & 0xff) << 16 | (minor & 0xff) << 8 | NetProtocolVersion;
}

std::string stampVersion(uint32_t stamp) {
  if (stamp >> 24 != StampMarker) return "";
  std::string text = std::to_string(stamp >> 16 & 0xff) + "." + std::to_string(stamp >> 8 & 0xff);
  // Two builds of one version that speak different protocols still differ to the player.
  if ((stamp & 0xff) != NetProtocolVersion)
    text += " (network protocol " + std::to_string(stamp & 0xff) + ")";
  return text;
}
