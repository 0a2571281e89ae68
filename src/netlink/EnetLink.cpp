#include "EnetLink.h"

#include <enet/enet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <charconv>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>

#include "NetMessage.h"

namespace {
constexpr uint32_t StampMarker = 0x50;  // 'P'
constexpr size_t ChannelCount = 2;
constexpr enet_uint8 UnreliableChannel = 0, ReliableChannel = 1;
// Peers a host keeps room for: the player, and one more to turn a latecomer away politely.
constexpr size_t HostPeers = 2;
// ENet gives up on a silent peer no sooner than this: the sessions decide long before.
constexpr enet_uint32 PeerTimeoutMs = 15000;

bool enetReady() {
  static bool ready = enet_initialize() == 0;
  return ready;
}

std::string addressText(const std::string& hostName, uint16_t port) {
  return hostName + ":" + std::to_string(port);
}

// ENet's own handshake completes before the host has read the joiner's stamp, so the joiner
// counts as connected only once the host's welcome (its stamp, the first packet on the
// reliable channel) says it was taken; another version hears a refusal instead.
std::vector<uint8_t> welcome(uint32_t stamp) {
  return {static_cast<uint8_t>(stamp), static_cast<uint8_t>(stamp >> 8),
          static_cast<uint8_t>(stamp >> 16), static_cast<uint8_t>(stamp >> 24)};
}
}  // namespace

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

bool splitAddress(const std::string& address, std::string& hostName, uint16_t& port) {
  size_t colon = address.rfind(':');
  hostName = address.substr(0, colon);
  port = DefaultGamePort;
  if (colon != std::string::npos) {
    unsigned number = 0;
    const char* begin = address.data() + colon + 1;
    const char* end = address.data() + address.size();
    auto read = std::from_chars(begin, end, number);
    if (read.ec != std::errc() || read.ptr != end || number == 0 || number > 65535) return false;
    port = static_cast<uint16_t>(number);
  }
  return !hostName.empty();
}

// A name looked up on a thread of its own, so a slow or dead name server never holds the
// frame loop; the loop reads the answer when it is there, or gives up at its limit.
struct EnetLink::Lookup {
  std::mutex lock;
  bool done = false;
  bool found = false;
  uint32_t host = 0;  // network order
};

EnetLink::EnetLink(std::string version) : version(std::move(version)) {}

EnetLink::~EnetLink() {
  close();
  if (enet) enet_host_destroy(enet);
}

void EnetLink::fail(const std::string& why) {
  state_ = State::Failed;
  problem_ = why;
  if (peer) enet_peer_reset(peer);
  peer = nullptr;
}

bool EnetLink::host(uint16_t port, bool loopbackOnly) {
  if (!enetReady()) {
    fail("the network library could not start");
    return false;
  }
  ENetAddress address{};
  address.host = loopbackOnly ? htonl(INADDR_LOOPBACK) : ENET_HOST_ANY;
  address.port = port;
  enet = enet_host_create(&address, HostPeers, ChannelCount, 0, 0);
  if (!enet) {
    fail("port " + std::to_string(port) + " is taken or cannot be used");
    return false;
  }
  enet->maximumPacketSize = LargestPacket;
  port_ = port;
  state_ = State::Listening;
  return true;
}

void EnetLink::join(const std::string& address, int64_t now) {
  std::string hostName;
  if (!splitAddress(address, hostName, port_)) {
    fail("'" + address + "' is not an address (HOST or HOST:PORT)");
    return;
  }
  target_ = addressText(hostName, port_);
  if (!enetReady()) {
    fail("the network library could not start");
    return;
  }
  enet = enet_host_create(nullptr, 1, ChannelCount, 0, 0);
  if (!enet) {
    fail("no network connection can be made on this machine");
    return;
  }
  enet->maximumPacketSize = LargestPacket;
  state_ = State::Resolving;
  knockedAt = now;
  lookup = std::make_shared<Lookup>();
  std::thread([answer = lookup, hostName] {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    bool ok = getaddrinfo(hostName.c_str(), nullptr, &hints, &found) == 0 && found;
    std::lock_guard<std::mutex> hold(answer->lock);
    if (ok) answer->host = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    if (found) freeaddrinfo(found);
    answer->found = ok;
    answer->done = true;
  }).detach();
}

void EnetLink::connectTo(uint32_t host, uint16_t port, int64_t now) {
  ENetAddress address{};
  address.host = host;
  address.port = port;
  peer = enet_host_connect(enet, &address, ChannelCount, versionStamp(version));
  if (!peer) {
    fail("no connection to " + target_ + " can be made");
    return;
  }
  enet_peer_timeout(peer, 0, PeerTimeoutMs, PeerTimeoutMs);
  state_ = State::Connecting;
  knockedAt = now;
}

void EnetLink::service(int64_t now) {
  if (state_ == State::Resolving) {
    bool done = false, found = false;
    uint32_t host = 0;
    {
      std::lock_guard<std::mutex> hold(lookup->lock);
      done = lookup->done, found = lookup->found, host = lookup->host;
    }
    if (done && found) {
      connectTo(host, port_, now);
    } else if (done || now - knockedAt > LookupLimitMs) {
      lookup.reset();  // a lookup still running finishes on its own and is forgotten
      fail("there is no machine called " + target_.substr(0, target_.rfind(':')));
      return;
    }
  }
  if (!enet) return;
  if (state_ == State::Connecting && now - knockedAt > ConnectLimitMs) {
    fail("no game is waiting at " + target_);
    return;
  }
  ENetEvent event;
  while (enet && enet_host_service(enet, &event, 0) > 0) {
    switch (event.type) {
      case ENET_EVENT_TYPE_CONNECT:
        if (state_ == State::Connecting && event.peer == peer) {
          break;  // taken only when the welcome comes
        } else if (state_ == State::Listening && event.data == versionStamp(version)) {
          peer = event.peer;
          enet_peer_timeout(peer, 0, PeerTimeoutMs, PeerTimeoutMs);
          state_ = State::Connected;
          std::vector<uint8_t> hello = welcome(versionStamp(version));
          ENetPacket* packet =
              enet_packet_create(hello.data(), hello.size(), ENET_PACKET_FLAG_RELIABLE);
          if (packet && enet_peer_send(peer, ReliableChannel, packet) != 0)
            enet_packet_destroy(packet);
          enet_host_flush(enet);
        } else {
          // A stranger, another version, or a second player while a game is on: turned
          // away with our own stamp, so that another version can say which we are. The
          // host waits on: one knock must not end the wait for the real player.
          std::string theirs = stampVersion(event.data);
          if (state_ == State::Listening && !theirs.empty())
            lastRefusal_ = "The other player has Pigmora " + theirs + "; you have " + version;
          ++refusals_;
          enet_peer_disconnect(event.peer, versionStamp(version));
        }
        break;
      case ENET_EVENT_TYPE_RECEIVE:
        if (event.peer == peer && state_ == State::Connecting) {
          if (event.channelID == ReliableChannel &&
              std::vector<uint8_t>(event.packet->data,
                                   event.packet->data + event.packet->dataLength) ==
                  welcome(versionStamp(version)))
            state_ = State::Connected;
        } else if (event.peer == peer && state_ == State::Connected && waiting.size() < WaitingRoom)
          waiting.emplace_back(event.packet->data, event.packet->data + event.packet->dataLength);
        enet_packet_destroy(event.packet);
        break;
      case ENET_EVENT_TYPE_DISCONNECT:
        if (event.peer != peer) break;
        peer = nullptr;
        if (!stampVersion(event.data).empty() && event.data != versionStamp(version)) {
          state_ = State::Refused;
          problem_ =
              "The other player has Pigmora " + stampVersion(event.data) + "; you have " + version;
        } else {
          fail(state_ == State::Connecting ? "no game is waiting at " + target_
                                           : "the other player has gone");
        }
        break;
      default:
        break;
    }
  }
}

void EnetLink::close() {
  if (peer && enet) {
    enet_peer_disconnect(peer, versionStamp(version));
    enet_host_flush(enet);
  }
  peer = nullptr;
  if (state_ == State::Connected || state_ == State::Connecting || state_ == State::Listening)
    state_ = State::Idle;
}

void EnetLink::send(Channel channel, const uint8_t* data, size_t size) {
  if (!peer || state_ != State::Connected) return;
  bool reliable = channel == Channel::Reliable;
  ENetPacket* packet = enet_packet_create(data, size, reliable ? ENET_PACKET_FLAG_RELIABLE : 0);
  if (!packet) return;
  if (enet_peer_send(peer, reliable ? ReliableChannel : UnreliableChannel, packet) != 0)
    enet_packet_destroy(packet);
  enet_host_flush(enet);
}

bool EnetLink::receive(std::vector<uint8_t>& packet) {
  if (waiting.empty()) return false;
  packet = std::move(waiting.front());
  waiting.pop_front();
  return true;
}

uint64_t EnetLink::bytesSentOnTheWire() const {
  return enet ? enet->totalSentData : 0;
}

int EnetLink::roundTripMs() const {
  return peer ? static_cast<int>(peer->roundTripTime) : 0;
}
