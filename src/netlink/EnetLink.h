#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "NetAddress.h"
#include "Transport.h"
#include "VersionStamp.h"

struct _ENetHost;
struct _ENetPeer;

// A host name looked up on a thread of its own, so a slow or dead name server never holds
// the frame loop; the loop asks for the answer when it likes, and gives up when it likes.
class NameLookup {
public:
  void start(const std::string& name);
  // Whether the answer is in; then `found`, and the IPv4 address (network order).
  bool done(bool& found, uint32_t& host) const;

private:
  struct Answer;
  std::shared_ptr<Answer> answer;
};

// One end of a network game's connection over ENet: the host listens for one player, the
// joiner finds the host (the name looked up off the frame loop, within a bound) and
// connects. Nothing here blocks: `service` is called every frame and takes what arrived.
class EnetLink : public Link {
public:
  enum class State {
    Idle,
    Listening,   // host: waiting for a player
    Resolving,   // joiner: looking the host's name up
    Connecting,  // joiner: knocking
    Connected,
    Refused,  // joiner: the host runs another version; `problem` says which
    Failed,   // no such host, nobody there, or the connection was lost: `problem` says why
  };

  // Ms a joiner knocks before it gives up, and a name lookup may take.
  static constexpr int64_t ConnectLimitMs = 5000;
  static constexpr int64_t LookupLimitMs = 4000;
  // The largest packet taken: far more than any message of the sessions.
  static constexpr size_t LargestPacket = 4096;
  // What the other side's packets may hold here, however many it sends; more is dropped,
  // never stored. Packets waiting to be read: WaitingRoom of them, of WaitingRoomBytes in
  // all. ENet's own queue for the other side (packets that came ahead of one still on its
  // way, and packets not yet taken): MostQueuedPackets, of MostQueuedBytes, or one
  // datagram's more.
  static constexpr size_t WaitingRoom = 512;
  static constexpr size_t WaitingRoomBytes = 64 * 1024;
  static constexpr size_t MostQueuedPackets = 1024;
  static constexpr size_t MostQueuedBytes = 64 * 1024;
  // All of that, with ENet's bookkeeping (about 200 bytes a packet) and the room's, in
  // bytes of memory.
  static constexpr size_t MostHeldBytes = 512 * 1024;

  // `version` is this program's ("1.2"), for the connect data and the refusals.
  explicit EnetLink(std::string version);
  ~EnetLink() override;
  EnetLink(const EnetLink&) = delete;
  EnetLink& operator=(const EnetLink&) = delete;

  // Listens on every address of this machine (or the loopback one only); false with
  // `problem` when the port cannot be had.
  bool host(uint16_t port, bool loopbackOnly = false);
  // Starts finding the host: "name", "name:port" or "1.2.3.4:port" (ENet speaks IPv4).
  void join(const std::string& address, int64_t now);

  // For a meeting arranged by a server: a socket on a port of the system's choosing, whose
  // datagrams from elsewhere than ENet go to `foreign` first. Then either side's role:
  // `listen` for the other's knock, or `dial` the other at one address after another until
  // one answers (each knock lasts ConnectLimitMs from the last).
  bool open(uint16_t port = 0);
  void listen();
  void dial(uint32_t host, uint16_t port, int64_t now);  // host in network order
  // A datagram of the meeting's own on the game's socket; `ttl` other than 0 lets it die
  // that many routers away.
  void sendRaw(uint32_t host, uint16_t port, const uint8_t* data, size_t size, int ttl = 0);
  // Sees each datagram ENet did not make (host in network order); true when it took it.
  std::function<bool(uint32_t host, uint16_t port, const uint8_t* data, size_t size)> foreign;
  // Where the other side is reached once connected (network order), 0 before.
  uint32_t peerHost() const;
  uint16_t peerPort() const;
  // Takes what arrived and moves the connection on; call every frame.
  void service(int64_t now) override;
  // Says goodbye to the other side (it learns at once rather than by silence).
  void close() override;

  void send(Channel channel, const uint8_t* data, size_t size) override;
  bool receive(std::vector<uint8_t>& packet) override;
  bool gone() const override { return state_ == State::Failed; }

  State state() const { return state_; }
  const std::string& problem() const { return problem_; }
  uint16_t port() const { return port_; }
  // The address the joiner connects to, as shown to the player ("host:port").
  const std::string& target() const { return target_; }
  int roundTripMs() const;
  // A host's note of the knock in one of ENet's peer slots (EnetLink.cpp's own).
  struct Knock;

  // Bytes sent so far as datagrams, ENet's own headers, acknowledgements and pings included.
  uint64_t bytesSentOnTheWire() const;
  // Strangers and other versions turned away so far (host). The host waits on after a
  // refusal; the last other version's says which versions met, for the waiting screen.
  int refusals() const { return refusals_; }
  const std::string& lastRefusal() const { return lastRefusal_; }

private:
  void fail(const std::string& why);
  bool dialled(const _ENetPeer* candidate) const;
  void connectTo(uint32_t host, uint16_t port, int64_t now);

  std::string version;
  State state_ = State::Idle;
  std::string problem_;
  std::string target_;
  uint16_t port_ = 0;
  int refusals_ = 0;
  std::string lastRefusal_;
  int64_t knockedAt = 0;
  _ENetHost* enet = nullptr;
  _ENetPeer* peer = nullptr;
  NameLookup lookup;
  std::vector<_ENetPeer*> tries;  // dialled, not yet answered
  std::deque<std::vector<uint8_t>> waiting;
  size_t waitingBytes = 0;
  std::vector<Knock> knocks;  // host: one for each of ENet's peer slots
};
