#include "GameOptions.h"

#include "CommandLine.h"
#include "GameContext.h"

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
  }
}
