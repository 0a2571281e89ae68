#pragma once

#include <cstdint>
#include <string>

// The UDP port a network game listens on unless told otherwise.
constexpr uint16_t DefaultGamePort = 24642;

// Where a network game is found: a host's name or IPv4 address, and a port.
struct NetAddress {
  std::string host;
  uint16_t port = DefaultGamePort;
};

// The longest host name the name service takes.
constexpr size_t LongestHostName = 253;

// A port from "1" to "65535", nothing else.
bool parsePort(const std::string& text, uint16_t& port);
// "HOST", "HOST:PORT" or "A.B.C.D:PORT" (the port DefaultGamePort when not given). False, with
// the reason in `why`, when the host is empty, too long or holds what no host name holds, or
// the port is not a number from 1 to 65535.
bool parseAddress(const std::string& text, NetAddress& address, std::string& why);
// "host:port", as the screens show an address.
std::string addressText(const NetAddress& address);
