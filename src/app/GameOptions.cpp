#include "GameOptions.h"

#include <cstdio>

#include "CommandLine.h"
#include "GameContext.h"
#include "IniFile.h"
#include "NetAddress.h"

namespace {
// The Pigmora server named once with --server, remembered in the player's folder beside
// the settings, so that what Pigmora.ini holds stays as it was.
constexpr char RememberedServerFile[] = "PigmoraServer.txt";

std::string rememberedServer() {
  // Read as the settings are: a FIFO or a device in its place cannot block the start, nor
  // a huge file fill the memory.
  IniFile file;
  int read = file.readFile(RememberedServerFile);
  if (read == IniFile::Unusable)
    std::fprintf(stderr, "%s: %s\n", RememberedServerFile, file.problem.c_str());
  if (read != IniFile::Read) return "";
  std::string line = file.text.substr(0, file.text.find('\n')), why;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  NetAddress address;
  // A file spoiled by hand names no server, and everything works as without one.
  return parseAddress(line, address, why) ? line : "";
}

void rememberServer(const std::string& server) {
  IniFile file;
  file.text = server + "\n";
  if (file.writeFile(RememberedServerFile) != 0)
    std::fprintf(stderr, "%s: the Pigmora server was not remembered: %s\n", RememberedServerFile,
                 file.problem.c_str());
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
    rememberServer(network.server);
  } else {
    network.server = rememberedServer();
  }
}
