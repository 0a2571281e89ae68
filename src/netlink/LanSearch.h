#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Finding a host on the local network: a waiting host answers a broadcast question on a
// port of its own with its game port; a joiner asks for a while and takes the first
// answer of its own version. Both run on ENet's sockets and never block.
constexpr uint16_t LanSearchPort = 24643;

// A network this machine is on: an interface's address and mask, in host order.
struct LocalNetwork {
  uint32_t address = 0;
  uint32_t mask = 0;
};

class LanBeacon {
public:
  // Answers on `searchPort` for a game waiting on `gamePort`; false when the port cannot
  // be had (then this host is simply not found by a search).
  LanBeacon(uint32_t stamp, uint16_t gamePort, uint16_t searchPort = LanSearchPort);
  ~LanBeacon();
  LanBeacon(const LanBeacon&) = delete;
  LanBeacon& operator=(const LanBeacon&) = delete;
  bool listening() const { return socket >= 0; }
  // Answers every question that arrived from this machine's own networks. Nobody else
  // has any business asking, and a question's source can be forged: an answer never has
  // more bytes than its question, so nobody's traffic can be multiplied through it.
  void service();

private:
  bool onOwnNetwork(uint32_t address);  // host order
  uint32_t stamp;
  uint16_t gamePort;
  int socket = -1;
  std::vector<LocalNetwork> networks;
  bool readNetworksAgain = true;
};

class LanSearch {
public:
  // Asks this long in all, once every AskEveryMs.
  static constexpr int64_t SearchMs = 2000;
  static constexpr int64_t AskEveryMs = 250;

  LanSearch(uint32_t stamp, int64_t now, uint16_t searchPort = LanSearchPort);
  ~LanSearch();
  LanSearch(const LanSearch&) = delete;
  LanSearch& operator=(const LanSearch&) = delete;

  // Asks and listens; true once the search is over, found or not.
  bool service(int64_t now);
  // "a.b.c.d:port" of the first host that answered, or "" when none did.
  const std::string& found() const { return host; }

private:
  void ask();
  uint32_t stamp;
  uint16_t searchPort;
  int socket = -1;
  int64_t startedAt;
  int64_t askedAt = -1;
  std::string host;
};

// The question a search asks: padded to more bytes than any answer.
std::string lanQuestion(uint32_t stamp);
// This machine's networks, the loopback one among them.
std::vector<LocalNetwork> localNetworks();

// The broadcast addresses a question goes to: everyone, each interface's own network,
// and this machine's loopback network (a host in another window of the same machine).
std::vector<uint32_t> broadcastTargets();
// This machine's addresses as a host shows them to the player ("192.168.1.5, 10.0.0.2").
std::string localAddresses();
