#include "GameOptions.h"

#include <fstream>

#include "CommandLine.h"
#include "GameContext.h"
#include "NetAddress.h"

namespace {
// The Pigmora server named once with --server, remembered in the player's folder beside
// the settings, so that what Pigmora.ini holds stays as it was.
constexpr char RememberedServerFile[] = "PigmoraServer.txt";

std::string rememberedServer() {
  std::ifstream file(RememberedServerFile);
  std::string line, why;
  NetAddress address;
  // A file spoiled by hand names no server, and everything works as without one.
  if (!std::getline(file, line) || !parseAddress(line, address, why)) return "";
  return line;
}
}  // namespace

void applyGameOptions(const CommandLine& commandLine, GameContext& context) {
  context.versusComputerLevel = commandLine.versusComputerLevel;
  GameContext::Network& network = context.network;
  if (commandLine.has("--host")) {
    network.role = GameContext::Network::Host;
    network.port = commandLine.hostPort;
    network.watchDelay = commandLine.watchDelay;
  } else if (commandLine.has("--join")) {
    network.role = GameContext::Network::Join;
    network.address = commandLine.given.at("--join");
  } else if (commandLine.has("--watch")) {
    network.role = GameContext::Network::Watch;
    network.address = commandLine.given.at("--watch");
  } else if (commandLine.has("--quick")) {
    network.role = GameContext::Network::Quick;
  }
  if (commandLine.has("--server")) {
    network.server = commandLine.given.at("--server");
    std::ofstream(RememberedServerFile) << network.server << "\n";
  } else {
    network.server = rememberedServer();
  }
}
