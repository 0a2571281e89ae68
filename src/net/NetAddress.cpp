#include "NetAddress.h"

#include <charconv>

namespace {
// Letters, digits, '-', '_' and '.': a name or a dotted IPv4 address. No ':' (ENet speaks
// IPv4, so an IPv6 address could never be reached) and nothing a terminal would act on.
bool hostCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_' || c == '.';
}
}  // namespace

bool parsePort(const std::string& text, uint16_t& port) {
  unsigned number = 0;
  const char* end = text.data() + text.size();
  auto read = std::from_chars(text.data(), end, number);
  if (text.empty() || read.ec != std::errc() || read.ptr != end || number == 0 || number > 65535)
    return false;
  port = static_cast<uint16_t>(number);
  return true;
}

bool parseAddress(const std::string& text, NetAddress& address, std::string& why) {
  size_t colon = text.rfind(':');
  NetAddress read;
  read.host = text.substr(0, colon);
  if (colon != std::string::npos && !parsePort(text.substr(colon + 1), read.port)) {
    why = "the port must be a number from 1 to 65535";
    return false;
  }
  if (read.host.empty()) {
    why = "the address has no host";
    return false;
  }
  if (read.host.size() > LongestHostName) {
    why = "the host name is longer than " + std::to_string(LongestHostName) + " characters";
    return false;
  }
  for (char c : read.host)
    if (!hostCharacter(c)) {
      why = "a host is a name or an IPv4 address";
      return false;
    }
  address = read;
  return true;
}

std::string addressText(const NetAddress& address) {
  return address.host + ":" + std::to_string(address.port);
}
