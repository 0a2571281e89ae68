#include "EnetLink.h"

#include <enet/enet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <mutex>
#include <thread>

#include "NetMessage.h"

struct EnetLink::Knock {
  EnetLink* owner = nullptr;
  enet_uint32 connectID = 0;
  enet_uint32 since = 0;  // ENet's clock
  uint64_t order = 0;     // its place in the line of knocks; 0: none noted
};

namespace {
constexpr size_t ChannelCount = 2;
constexpr enet_uint8 UnreliableChannel = 0, ReliableChannel = 1;
// Peers a host keeps room for: the player, a latecomer to turn away politely, and knocks
// that never finish. A connect needs no answer, so its source can be forged and anyone
// can knock as often as they like; the oldest unfinished knock gives its slot up to the
// next (see screenDatagram), so a real player's knock stands while this many more come.
constexpr size_t HostPeers = 16;
// A knock still unfinished after this is given up (ENet itself would wait half a minute,
// sending its answer to the forged address again and again). A real joiner's finishes
// within a round trip, or two more of ENet's resends over a bad link.
constexpr enet_uint32 HalfOpenLimitMs = 3000;
// ENet gives up on a silent peer no sooner than this: the sessions decide long before.
constexpr enet_uint32 PeerTimeoutMs = 15000;
// Events taken in one service: far more than a frame of play brings, few enough that a
// flood faster than it can be read never holds the frame.
constexpr int MostEventsPerService = 2 * EnetLink::WaitingRoom;

bool enetReady() {
  static bool ready = enet_initialize() == 0;
  return ready;
}

// ENet's own handshake completes before the host has read the joiner's stamp, so the joiner
// counts as connected only once the host's welcome (its stamp, the first packet on the
// reliable channel) says it was taken; another version hears a refusal instead.
std::vector<uint8_t> welcome(uint32_t stamp) {
  return {static_cast<uint8_t>(stamp), static_cast<uint8_t>(stamp >> 8),
          static_cast<uint8_t>(stamp >> 16), static_cast<uint8_t>(stamp >> 24)};
}

using Knock = EnetLink::Knock;

// Reached through the peer's own data, since ENet's intercept is handed the host alone.
Knock& knockIn(ENetPeer& peer) {
  return *static_cast<Knock*>(peer.data);
}

// A peer slot waiting for the knocker to acknowledge the host's answer: a knock that never
// finishes holds one.
bool halfOpen(const ENetPeer& peer) {
  return peer.state == ENET_PEER_STATE_ACKNOWLEDGING_CONNECT;
}

void giveUp(ENetPeer& peer) {
  enet_peer_reset(&peer);
  knockIn(peer) = Knock{knockIn(peer).owner};
}

// Notes the knocks that came since last time, in the order they came.
void noteKnocks(ENetHost& host) {
  static uint64_t knocks = 0;
  for (size_t i = 0; i < host.peerCount; ++i) {
    ENetPeer& peer = host.peers[i];
    Knock& knock = knockIn(peer);
    if (!halfOpen(peer)) {
      knock = Knock{knock.owner};
    } else if (knock.order == 0 || knock.connectID != peer.connectID) {
      knock.connectID = peer.connectID;
      knock.since = host.serviceTime;
      knock.order = ++knocks;
    }
  }
}

// The peer slot a datagram names (ENET_PROTOCOL_MAXIMUM_PEER_ID: none yet), and where its
// first command begins; false when it is too short to say.
bool readHeader(const enet_uint8* data, size_t size, size_t& peerID, size_t& commandAt) {
  if (size < offsetof(ENetProtocolHeader, sentTime)) return false;
  enet_uint16 word = static_cast<enet_uint16>(data[0] << 8 | data[1]);
  peerID = word & ENET_PROTOCOL_MAXIMUM_PEER_ID;
  commandAt = word & ENET_PROTOCOL_HEADER_FLAG_SENT_TIME ? sizeof(ENetProtocolHeader)
                                                         : offsetof(ENetProtocolHeader, sentTime);
  return true;
}

// Whether ENet holds `most` packets or more for the peer: arrived ahead of one still on
// its way, or not yet taken. Counted only so far, so that a full queue costs no more.
bool queueFull(const ENetPeer& peer, size_t most) {
  size_t held = 0;
  auto count = [&](const ENetList& list) {
    for (ENetListIterator i = list.sentinel.next; i != &list.sentinel && held < most; i = i->next)
      ++held;
  };
  count(peer.dispatchedCommands);
  for (size_t c = 0; peer.channels && c < peer.channelCount; ++c) {
    count(peer.channels[c].incomingReliableCommands);
    count(peer.channels[c].incomingUnreliableCommands);
  }
  return held >= most;
}

// ENet hands every datagram here before it reads it. One for a peer whose queue is full is
// dropped (ENet bounds only the bytes, and an empty packet has none); a knock that would
// find every slot taken takes the oldest unfinished knock's (on a host).
int ENET_CALLBACK screenDatagram(ENetHost* host, ENetEvent*) {
  EnetLink* owner = host->peers[0].data ? knockIn(host->peers[0]).owner : nullptr;
  if (owner && owner->foreign &&
      owner->foreign(host->receivedAddress.host, host->receivedAddress.port, host->receivedData,
                     host->receivedDataLength))
    return 1;
  size_t peerID = 0, commandAt = 0;
  if (!readHeader(host->receivedData, host->receivedDataLength, peerID, commandAt)) return 0;
  if (peerID < host->peerCount)
    return queueFull(host->peers[peerID], EnetLink::MostQueuedPackets) ? 1 : 0;
  bool knock =
      peerID == ENET_PROTOCOL_MAXIMUM_PEER_ID && host->receivedDataLength > commandAt &&
      (host->receivedData[commandAt] & ENET_PROTOCOL_COMMAND_MASK) == ENET_PROTOCOL_COMMAND_CONNECT;
  if (!knock || !host->peers[0].data) return 0;
  noteKnocks(*host);
  ENetPeer* oldest = nullptr;
  for (size_t i = 0; i < host->peerCount; ++i) {
    ENetPeer& peer = host->peers[i];
    if (peer.state == ENET_PEER_STATE_DISCONNECTED) return 0;
    if (halfOpen(peer) && (!oldest || knockIn(peer).order < knockIn(*oldest).order)) oldest = &peer;
  }
  if (oldest) giveUp(*oldest);
  return 0;
}

// What the other side may send: see EnetLink::MostHeldBytes.
void bound(ENetHost& host) {
  host.maximumPacketSize = EnetLink::LargestPacket;
  host.maximumWaitingData = EnetLink::MostQueuedBytes;
  host.intercept = screenDatagram;
}

// Gives up the knocks that have not finished in time.
void dropStaleKnocks(ENetHost& host) {
  noteKnocks(host);
  enet_uint32 now = enet_time_get();
  for (size_t i = 0; i < host.peerCount; ++i) {
    ENetPeer& peer = host.peers[i];
    if (halfOpen(peer) && now - knockIn(peer).since > HalfOpenLimitMs) giveUp(peer);
  }
}
}  // namespace

struct NameLookup::Answer {
  std::mutex lock;
  bool done = false;
  bool found = false;
  uint32_t host = 0;  // network order
};

void NameLookup::start(const std::string& name) {
  // A lookup still running from before finishes on its own and is forgotten.
  answer = std::make_shared<Answer>();
  std::thread([answer = answer, name] {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    bool ok = getaddrinfo(name.c_str(), nullptr, &hints, &found) == 0 && found;
    std::lock_guard<std::mutex> hold(answer->lock);
    if (ok) answer->host = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    if (found) freeaddrinfo(found);
    answer->found = ok;
    answer->done = true;
  }).detach();
}

bool NameLookup::done(bool& found, uint32_t& host) const {
  if (!answer) return false;
  std::lock_guard<std::mutex> hold(answer->lock);
  found = answer->found, host = answer->host;
  return answer->done;
}

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
  for (ENetPeer* knock : tries) enet_peer_reset(knock);
  tries.clear();
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
  bound(*enet);
  knocks.assign(HostPeers, Knock{this});
  for (size_t i = 0; i < enet->peerCount; ++i) enet->peers[i].data = &knocks[i];
  port_ = port;
  state_ = State::Listening;
  return true;
}

void EnetLink::join(const std::string& address, int64_t now) {
  NetAddress where;
  std::string why;
  if (!parseAddress(address, where, why)) {
    fail("'" + address + "' is not an address (HOST or HOST:PORT): " + why);
    return;
  }
  port_ = where.port;
  target_ = addressText(where);
  std::string hostName = where.host;
  if (!enetReady()) {
    fail("the network library could not start");
    return;
  }
  enet = enet_host_create(nullptr, 1, ChannelCount, 0, 0);
  if (!enet) {
    fail("no network connection can be made on this machine");
    return;
  }
  bound(*enet);
  state_ = State::Resolving;
  knockedAt = now;
  lookup.start(hostName);
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
    bool found = false;
    uint32_t host = 0;
    bool done = lookup.done(found, host);
    if (done && found) {
      connectTo(host, port_, now);
    } else if (done || now - knockedAt > LookupLimitMs) {
      lookup = NameLookup();
      fail("there is no machine called " + target_.substr(0, target_.rfind(':')));
      return;
    }
  }
  if (!enet) return;
  if (state_ == State::Connecting && now - knockedAt > ConnectLimitMs) {
    fail(target_.empty() ? "the other player could not be reached"
                         : "no game is waiting at " + target_);
    return;
  }
  if (!knocks.empty()) dropStaleKnocks(*enet);
  ENetEvent event;
  for (int n = 0; n < MostEventsPerService && enet && enet_host_service(enet, &event, 0) > 0; ++n) {
    switch (event.type) {
      case ENET_EVENT_TYPE_CONNECT:
        if (state_ == State::Connecting && (event.peer == peer || dialled(event.peer))) {
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
          // One that never acknowledges the goodbye holds its slot no longer than a knock.
          enet_peer_timeout(event.peer, 0, HalfOpenLimitMs, HalfOpenLimitMs);
          enet_peer_disconnect(event.peer, versionStamp(version));
        }
        break;
      case ENET_EVENT_TYPE_RECEIVE:
        if ((event.peer == peer || dialled(event.peer)) && state_ == State::Connecting) {
          if (event.channelID == ReliableChannel &&
              std::vector<uint8_t>(event.packet->data,
                                   event.packet->data + event.packet->dataLength) ==
                  welcome(versionStamp(version))) {
            state_ = State::Connected;
            // The first way through wins; the other knocks are called off.
            peer = event.peer;
            for (ENetPeer* other : tries)
              if (other != peer) enet_peer_reset(other);
            tries.clear();
          }
        } else if (event.peer == peer && state_ == State::Connected &&
                   waiting.size() < WaitingRoom &&
                   waitingBytes + event.packet->dataLength <= WaitingRoomBytes) {
          waiting.emplace_back(event.packet->data, event.packet->data + event.packet->dataLength);
          waitingBytes += event.packet->dataLength;
        }
        enet_packet_destroy(event.packet);
        break;
      case ENET_EVENT_TYPE_DISCONNECT:
        if (dialled(event.peer)) {
          // One way failed; the others, and those still to be dialled, may yet answer.
          tries.erase(std::find(tries.begin(), tries.end(), event.peer));
          if (!stampVersion(event.data).empty() && event.data != versionStamp(version)) {
            state_ = State::Refused;
            problem_ = "The other player has Pigmora " + stampVersion(event.data) + "; you have " +
                       version;
          }
          break;
        }
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

bool EnetLink::dialled(const _ENetPeer* candidate) const {
  return std::find(tries.begin(), tries.end(), candidate) != tries.end();
}

bool EnetLink::open(uint16_t port) {
  if (!host(port)) return false;
  ENetAddress bound{};
  if (enet_socket_get_address(enet->socket, &bound) == 0) port_ = bound.port;
  state_ = State::Idle;
  return true;
}

void EnetLink::listen() {
  if (enet && state_ == State::Idle) state_ = State::Listening;
}

void EnetLink::dial(uint32_t host, uint16_t port, int64_t now) {
  if (!enet || (state_ != State::Idle && state_ != State::Connecting)) return;
  ENetAddress address{};
  address.host = host;
  address.port = port;
  ENetPeer* knock = enet_host_connect(enet, &address, ChannelCount, versionStamp(version));
  if (!knock) return;  // every slot knocking already: the ones under way go on
  enet_peer_timeout(knock, 0, PeerTimeoutMs, PeerTimeoutMs);
  tries.push_back(knock);
  state_ = State::Connecting;
  knockedAt = now;
}

void EnetLink::sendRaw(uint32_t host, uint16_t port, const uint8_t* data, size_t size, int ttl) {
  if (!enet) return;
  ENetAddress address{};
  address.host = host;
  address.port = port;
  ENetBuffer buffer{};
  buffer.data = const_cast<uint8_t*>(data);
  buffer.dataLength = size;
  int usual = 0;
  socklen_t usualSize = sizeof usual;
  bool shortLived = ttl > 0 &&
                    getsockopt(enet->socket, IPPROTO_IP, IP_TTL, &usual, &usualSize) == 0 &&
                    setsockopt(enet->socket, IPPROTO_IP, IP_TTL, &ttl, sizeof ttl) == 0;
  enet_socket_send(enet->socket, &address, &buffer, 1);
  if (shortLived) setsockopt(enet->socket, IPPROTO_IP, IP_TTL, &usual, sizeof usual);
}

uint32_t EnetLink::peerHost() const {
  return peer && state_ == State::Connected ? peer->address.host : 0;
}

uint16_t EnetLink::peerPort() const {
  return peer && state_ == State::Connected ? peer->address.port : 0;
}

void EnetLink::close() {
  if (peer && enet) {
    enet_peer_disconnect(peer, versionStamp(version));
    enet_host_flush(enet);
  }
  peer = nullptr;
  for (ENetPeer* knock : tries) enet_peer_reset(knock);
  tries.clear();
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
  waitingBytes -= packet.size();
  return true;
}

uint64_t EnetLink::bytesSentOnTheWire() const {
  return enet ? enet->totalSentData : 0;
}

int EnetLink::roundTripMs() const {
  return peer ? static_cast<int>(peer->roundTripTime) : 0;
}
