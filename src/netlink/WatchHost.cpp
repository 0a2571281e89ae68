#include "WatchHost.h"

#include <enet/enet.h>
#include <netinet/in.h>

#include <chrono>
#include <deque>
#include <thread>

#include "EnetLink.h"
#include "LittleEndian.h"
#include "ServerStream.h"
#include "SteadyClock.h"

namespace {
constexpr size_t ChannelCount = 2;
constexpr enet_uint8 UnreliableChannel = 0, ReliableChannel = 1;
// ENet gives up on a silent watcher no sooner than this; the feed decides long before.
constexpr enet_uint32 PeerTimeoutMs = 15000;
// A knock turned away that never acknowledges the goodbye holds its slot no longer.
constexpr enet_uint32 RefusalLimitMs = 3000;
// Events taken in one service: ample for a frame, few enough that a flood never holds it.
constexpr int MostEventsPerService = 256;
// A host that goes gives its watchers this long to hear that the game is over.
constexpr int64_t GoodbyeMs = 200;
// How often watchers are served between games: enough for their pings and reports.
constexpr int64_t BetweenGamesMs = 10;
}  // namespace

// One watcher's end of the connection. Lives on after its peer is gone until the feed lets go.
class WatchHost::Peer : public Link {
public:
  explicit Peer(ENetPeer* peer) : peer(peer) { peer->data = this; }
  void send(Channel channel, const uint8_t* data, size_t size) override {
    if (!peer) return;
    bool reliable = channel == Channel::Reliable;
    ENetPacket* packet = enet_packet_create(data, size, reliable ? ENET_PACKET_FLAG_RELIABLE : 0);
    if (packet && enet_peer_send(peer, reliable ? ReliableChannel : UnreliableChannel, packet) != 0)
      enet_packet_destroy(packet);
  }
  bool receive(std::vector<uint8_t>& packet) override {
    if (waiting.empty()) return false;
    packet = std::move(waiting.front());
    waiting.pop_front();
    return true;
  }
  void service(int64_t) override {}
  bool gone() const override { return !peer; }
  void close() override {
    if (!peer) return;
    // What was sent goes first: a watcher told all hears it before the goodbye.
    enet_peer_disconnect_later(peer, 0);
    peer->data = nullptr;
    peer = nullptr;
  }
  void hungUp() { peer = nullptr; }
  void take(const ENetPacket& packet) {
    if (waiting.size() < WaitingRoom)
      waiting.emplace_back(packet.data, packet.data + packet.dataLength);
  }

private:
  ENetPeer* peer;
  std::deque<std::vector<uint8_t>> waiting;
};

WatchHost::WatchHost(std::string version) : version(std::move(version)) {}

WatchHost::~WatchHost() {
  for (auto& peer : peers) peer->close();
  if (enet) {
    enet_host_flush(enet);
    enet_host_destroy(enet);
  }
}

bool WatchHost::listen(uint16_t port, bool loopbackOnly) {
  static bool ready = enet_initialize() == 0;
  ENetAddress address{};
  address.host = loopbackOnly ? htonl(INADDR_LOOPBACK) : ENET_HOST_ANY;
  address.port = port;
  enet = ready ? enet_host_create(&address, PeerSlots, ChannelCount, 0, 0) : nullptr;
  if (!enet) {
    problem_ = "port " + std::to_string(port) + " for watchers is taken or cannot be used";
    return false;
  }
  enet->maximumPacketSize = EnetLink::LargestPacket;
  enet->maximumWaitingData = EnetLink::MostQueuedBytes;
  return true;
}

void WatchHost::service(const std::function<void(Link&)>& arrived,
                        const std::function<bool(const Link&)>& kept) {
  if (!enet) return;
  uint32_t stamp = versionStamp(version);
  ENetEvent event;
  for (int n = 0; n < MostEventsPerService && enet_host_service(enet, &event, 0) > 0; ++n) {
    Peer* peer = event.peer ? static_cast<Peer*>(event.peer->data) : nullptr;
    switch (event.type) {
      case ENET_EVENT_TYPE_CONNECT: {
        if (event.data != stamp) {
          enet_peer_timeout(event.peer, 0, RefusalLimitMs, RefusalLimitMs);
          enet_peer_disconnect(event.peer, stamp);
          break;
        }
        enet_peer_timeout(event.peer, 0, PeerTimeoutMs, PeerTimeoutMs);
        peers.push_back(std::make_unique<Peer>(event.peer));
        // The joiner's side counts itself connected on this welcome, as with the game's port.
        std::vector<uint8_t> hello;
        putLittleEndian(hello, stamp, 4);
        peers.back()->send(Channel::Reliable, hello.data(), hello.size());
        arrived(*peers.back());
        break;
      }
      case ENET_EVENT_TYPE_RECEIVE:
        if (peer) peer->take(*event.packet);
        enet_packet_destroy(event.packet);
        break;
      case ENET_EVENT_TYPE_DISCONNECT:
        if (peer) peer->hungUp();
        event.peer->data = nullptr;
        break;
      default:
        break;
    }
  }
  enet_host_flush(enet);
  for (size_t i = 0; i < peers.size();)
    if (peers[i]->gone() && !kept(*peers[i]))
      peers.erase(peers.begin() + static_cast<std::ptrdiff_t>(i));
    else
      ++i;
}

Audience::Audience(const std::string& version, uint16_t gamePort, int delaySeconds,
                   bool loopbackOnly)
    : port(version), feed(delaySeconds), version(version) {
  // A game met through a server on a port of the system's choosing has no port beside it
  // for watchers; it may still show them the game through the server.
  if (gamePort != 0)
    listening_ = port.listen(static_cast<uint16_t>(gamePort + WatchPortOffset), loopbackOnly);
}

void Audience::showAt(uint32_t host, uint16_t serverPort, const RelayToken& token, int64_t now) {
  for (const auto& show : shows)
    if (!show->gone()) return;
  shows.push_back(std::make_unique<ServerStream>(version));
  shows.back()->show(host, serverPort, token, now);
  // The server is one watcher more, whatever the number it serves.
  feed.add(*shows.back(), now);
}

void Audience::serve(int64_t now) {
  if (listening_)
    port.service([&](Link& link) { feed.add(link, now); },
                 [&](const Link& link) { return feed.serves(link); });
  for (auto& show : shows) show->service(now);
  feed.poll(now);
  for (size_t i = 0; i < shows.size();)
    if (shows[i]->gone() && !feed.serves(*shows[i]))
      shows.erase(shows.begin() + static_cast<std::ptrdiff_t>(i));
    else
      ++i;
}

void Audience::keepServing() {
  if (between.joinable()) return;
  betweenEnds = false;
  between = std::thread([this] {
    while (!betweenEnds) {
      serve(steadyNowMs());
      std::this_thread::sleep_for(std::chrono::milliseconds(BetweenGamesMs));
    }
  });
}

void Audience::takeOver() {
  if (!between.joinable()) return;
  betweenEnds = true;
  between.join();
}

Audience::~Audience() {
  takeOver();
  feed.close();
  auto now = [] {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  };
  int64_t closedAt = now();
  serveWhile([&] { return now() - closedAt < GoodbyeMs; }, now, [] { return false; });
}

void Audience::serveWhile(const std::function<bool()>& more, const std::function<int64_t()>& now,
                          const std::function<bool()>& stop) {
  int64_t began = now();
  int64_t limit = feed.delaySeconds() * int64_t{1000} + LingerMs;
  while (serving() && more() && now() - began < limit && !stop()) {
    serve(now());
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  // The last words leave.
  serve(now());
}

void Audience::finish(const std::function<int64_t()>& now, const std::function<bool()>& stop) {
  feed.close();
  serveWhile([&] { return !feed.idle(); }, now, stop);
}

void Audience::tellEnd(const std::function<int64_t()>& now, const std::function<bool()>& stop) {
  serveWhile([&] { return !feed.toldAll(); }, now, stop);
}

uint64_t WatchHost::bytesSentOnTheWire() const {
  return enet ? enet->totalSentData : 0;
}
