// pigmora-server: where Pigmora players meet by invite code or quick match, and the relay
// for those whose routers keep them apart. See pigmora-server(6).
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "NetAddress.h"
#include "ServerLoop.h"
#include "Version.h"

namespace {
std::atomic<bool> stopRequested{false};

void onSignal(int) {
  stopRequested = true;
}

// The most matches --max-matches takes: each holds some hundreds of bytes, so this is
// memory no machine misses, and far past what one core relays.
constexpr unsigned long MostMatches = 1000000;

void help() {
  std::printf(
      "Usage: pigmora-server [OPTION]...\n"
      "Introduces Pigmora players to each other by invite code or quick match, and relays\n"
      "the games of players whose routers cannot reach each other.\n\n"
      "Options:\n"
      "  --port=PORT         answer on UDP port PORT (%u if not given)\n"
      "  --listen=ADDRESS    answer on this IPv4 address only (all of them if not given)\n"
      "  --max-matches=N     relay at most N matches at once (%zu if not given)\n"
      "  --help              show this help and exit\n"
      "  --version           show the version and exit\n\n"
      "Logs one line per event on standard output, with counts, never players' addresses.\n"
      "SIGTERM or SIGINT: stops taking matches and exits at once.\n",
      DefaultServerPort, ServerBounds().matches);
}

bool value(const std::string& argument, const char* name, std::string& out) {
  std::string prefix = std::string(name) + "=";
  if (argument.rfind(prefix, 0) != 0) return false;
  out = argument.substr(prefix.size());
  return true;
}

int mistake(const std::string& what) {
  std::fprintf(stderr, "pigmora-server: %s\nTry 'pigmora-server --help' for more information.\n",
               what.c_str());
  return 2;
}
}  // namespace

int main(int argc, char** argv) {
  ServerOptions options;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i], v;
    if (a == "--help") {
      help();
      return 0;
    } else if (a == "--version") {
      std::printf("pigmora-server %s\n", PIGMORA_VERSION);
      return 0;
    } else if (value(a, "--port", v)) {
      if (!parsePort(v, options.port)) return mistake("the port must be a number from 1 to 65535");
    } else if (value(a, "--listen", v)) {
      options.address = v;
    } else if (value(a, "--max-matches", v)) {
      char* end = nullptr;
      unsigned long n = std::strtoul(v.c_str(), &end, 10);
      if (v.empty() || *end || n == 0 || n > MostMatches)
        return mistake("--max-matches takes a number from 1 to " + std::to_string(MostMatches));
      options.bounds.matches = n;
    } else {
      return mistake("unknown option '" + a + "'");
    }
  }
  struct sigaction on {};
  on.sa_handler = onSignal;
  sigaction(SIGTERM, &on, nullptr);
  sigaction(SIGINT, &on, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
  return serve(options, stopRequested);
}
