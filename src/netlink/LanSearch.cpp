#include "LanSearch.h"

#include <arpa/inet.h>
#include <enet/enet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <algorithm>
#include <charconv>
#include <cstring>

namespace {
const char* const Question = "PIGMORA?";
const char* const Answer = "PIGMORA!";
constexpr size_t LongestDatagram = 64;
// Bytes of a question, padded with spaces: more than the longest answer ("PIGMORA!", a
// stamp of up to 10 digits and a port of up to 5, 25 in all).
constexpr size_t QuestionBytes = 32;
constexpr size_t MostAnswersPerService = 64;        // a flood is read a little at a time
constexpr uint32_t LoopbackBroadcast = 0x7fffffff;  // 127.255.255.255
constexpr LocalNetwork LoopbackNetwork = {0x7f000000, 0xff000000};  // 127.0.0.0/8

// "WORD STAMP [PORT]" in a datagram, perhaps padded with spaces; false when it is not that.
bool readDatagram(const char* data, size_t size, const char* word, uint32_t& stamp,
                  uint16_t* port) {
  size_t length = std::strlen(word);
  if (size <= length + 1 || std::memcmp(data, word, length) != 0 || data[length] != ' ')
    return false;
  const char* digits = data + length + 1;
  const char* end = data + size;
  while (end > digits && end[-1] == ' ') --end;
  auto read = std::from_chars(digits, end, stamp);
  if (read.ec != std::errc()) return false;
  if (!port) return read.ptr == end;
  if (read.ptr == end || *read.ptr != ' ') return false;
  unsigned number = 0;
  auto second = std::from_chars(read.ptr + 1, end, number);
  if (second.ec != std::errc() || second.ptr != end || number == 0 || number > 65535) return false;
  *port = static_cast<uint16_t>(number);
  return true;
}

bool onNetwork(uint32_t address, const LocalNetwork& network) {
  return (address & network.mask) == (network.address & network.mask);
}

int openSocket(uint16_t port, bool broadcast) {
  ENetSocket s = enet_socket_create(ENET_SOCKET_TYPE_DATAGRAM);
  if (s == ENET_SOCKET_NULL) return -1;
  enet_socket_set_option(s, ENET_SOCKOPT_NONBLOCK, 1);
  enet_socket_set_option(s, ENET_SOCKOPT_REUSEADDR, 1);
  if (broadcast) enet_socket_set_option(s, ENET_SOCKOPT_BROADCAST, 1);
  ENetAddress address{};
  address.host = ENET_HOST_ANY;
  address.port = port;
  if (enet_socket_bind(s, &address) != 0) {
    enet_socket_destroy(s);
    return -1;
  }
  return s;
}

void sendText(int socket, const ENetAddress& to, const std::string& text) {
  ENetBuffer buffer;
  buffer.data = const_cast<char*>(text.data());
  buffer.dataLength = text.size();
  enet_socket_send(socket, &to, &buffer, 1);
}

// The next datagram waiting, or false.
bool nextDatagram(int socket, ENetAddress& from, char* data, size_t& size) {
  ENetBuffer buffer;
  buffer.data = data;
  buffer.dataLength = LongestDatagram;
  int got = enet_socket_receive(socket, &from, &buffer, 1);
  if (got <= 0) return false;
  size = static_cast<size_t>(got);
  return true;
}
}  // namespace

std::string lanQuestion(uint32_t stamp) {
  std::string question = std::string(Question) + " " + std::to_string(stamp);
  question.resize(QuestionBytes, ' ');
  return question;
}

std::vector<LocalNetwork> localNetworks() {
  std::vector<LocalNetwork> networks = {LoopbackNetwork};
  ifaddrs* all = nullptr;
  if (getifaddrs(&all) != 0) return networks;
  for (ifaddrs* i = all; i; i = i->ifa_next)
    if (i->ifa_addr && i->ifa_netmask && i->ifa_addr->sa_family == AF_INET)
      networks.push_back({ntohl(reinterpret_cast<sockaddr_in*>(i->ifa_addr)->sin_addr.s_addr),
                          ntohl(reinterpret_cast<sockaddr_in*>(i->ifa_netmask)->sin_addr.s_addr)});
  freeifaddrs(all);
  return networks;
}

std::vector<uint32_t> broadcastTargets() {
  std::vector<uint32_t> targets = {INADDR_BROADCAST, LoopbackBroadcast};
  ifaddrs* all = nullptr;
  if (getifaddrs(&all) != 0) return targets;
  for (ifaddrs* i = all; i; i = i->ifa_next)
    if (i->ifa_addr && i->ifa_addr->sa_family == AF_INET && (i->ifa_flags & IFF_BROADCAST) &&
        i->ifa_broadaddr)
      targets.push_back(ntohl(reinterpret_cast<sockaddr_in*>(i->ifa_broadaddr)->sin_addr.s_addr));
  freeifaddrs(all);
  return targets;
}

std::string localAddresses() {
  std::string text;
  ifaddrs* all = nullptr;
  if (getifaddrs(&all) != 0) return text;
  for (ifaddrs* i = all; i; i = i->ifa_next) {
    if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET || (i->ifa_flags & IFF_LOOPBACK))
      continue;
    char name[INET_ADDRSTRLEN] = "";
    inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(i->ifa_addr)->sin_addr, name, sizeof name);
    text += (text.empty() ? "" : ", ") + std::string(name);
  }
  freeifaddrs(all);
  return text;
}

LanBeacon::LanBeacon(uint32_t stamp, uint16_t gamePort, uint16_t searchPort)
    : stamp(stamp),
      gamePort(gamePort),
      socket(enet_initialize() == 0 ? openSocket(searchPort, false) : -1) {}

LanBeacon::~LanBeacon() {
  if (socket >= 0) enet_socket_destroy(socket);
}

// The networks are read again for a question from elsewhere, at most once a service: an
// interface may have come up since.
bool LanBeacon::onOwnNetwork(uint32_t address) {
  auto known = [&] {
    return std::any_of(networks.begin(), networks.end(),
                       [&](const LocalNetwork& network) { return onNetwork(address, network); });
  };
  if (known()) return true;
  if (readNetworksAgain) {
    networks = localNetworks();
    readNetworksAgain = false;
  }
  return known();
}

void LanBeacon::service() {
  if (socket < 0) return;
  readNetworksAgain = true;
  char data[LongestDatagram];
  size_t size = 0;
  ENetAddress from{};
  uint32_t theirs = 0;
  std::string answer =
      std::string(Answer) + " " + std::to_string(stamp) + " " + std::to_string(gamePort);
  for (size_t n = 0; n < MostAnswersPerService && nextDatagram(socket, from, data, size); ++n)
    if (readDatagram(data, size, Question, theirs, nullptr) && theirs == stamp &&
        answer.size() <= size && onOwnNetwork(ntohl(from.host)))
      sendText(socket, from, answer);
}

LanSearch::LanSearch(uint32_t stamp, int64_t now, uint16_t searchPort)
    : stamp(stamp),
      searchPort(searchPort),
      socket(enet_initialize() == 0 ? openSocket(0, true) : -1),
      startedAt(now) {}

LanSearch::~LanSearch() {
  if (socket >= 0) enet_socket_destroy(socket);
}

void LanSearch::ask() {
  std::string question = lanQuestion(stamp);
  for (uint32_t target : broadcastTargets()) {
    ENetAddress to{};
    to.host = htonl(target);
    to.port = searchPort;
    sendText(socket, to, question);
  }
}

bool LanSearch::service(int64_t now) {
  if (socket < 0 || !host.empty()) return true;
  if (askedAt < 0 || now - askedAt >= AskEveryMs) {
    ask();
    askedAt = now;
  }
  char data[LongestDatagram];
  size_t size = 0;
  ENetAddress from{};
  uint32_t theirs = 0;
  uint16_t port = 0;
  for (size_t n = 0; n < MostAnswersPerService && nextDatagram(socket, from, data, size); ++n)
    if (readDatagram(data, size, Answer, theirs, &port) && theirs == stamp) {
      char name[INET_ADDRSTRLEN] = "";
      in_addr address{};
      address.s_addr = from.host;
      inet_ntop(AF_INET, &address, name, sizeof name);
      host = std::string(name) + ":" + std::to_string(port);
      return true;
    }
  return now - startedAt >= SearchMs;
}
