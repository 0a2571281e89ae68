#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "LobbyServer.h"

struct ServerOptions {
  uint16_t port = DefaultServerPort;
  std::string address = "0.0.0.0";  // where it listens
  ServerBounds bounds;
};

// Serves on a UDP socket until `stop` turns true; then stops taking matches and returns
// within a fraction of a second. Prints one line per event. Returns the exit status.
int serve(const ServerOptions& options, const std::atomic<bool>& stop);
