#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "LobbyWire.h"
#include "Transport.h"
#include "Watching.h"

class ServerStream;

struct _ENetHost;

// Where a host's watchers connect: ENet on a port of its own beside the game's, each watcher
// a Link of its own. Knocks of strangers and other versions are turned away as the game's
// port turns them away; what becomes of a watcher once it is in is its feed's business.
class WatchHost {
public:
  // Peer slots: every watcher a feed serves, those being turned away and stray knocks.
  static constexpr size_t PeerSlots = 24;
  // Packets a watcher may have waiting here: it has nothing to say but how far it got.
  static constexpr size_t WaitingRoom = 64;

  explicit WatchHost(std::string version);
  ~WatchHost();
  WatchHost(const WatchHost&) = delete;
  WatchHost& operator=(const WatchHost&) = delete;

  // False with `problem` when the port cannot be had.
  bool listen(uint16_t port, bool loopbackOnly = false);
  const std::string& problem() const { return problem_; }

  // Takes knocks and packets: each new watcher goes to `arrived`; a link `kept` no longer
  // wants and that has closed is forgotten. Call every frame.
  void service(const std::function<void(Link&)>& arrived,
               const std::function<bool(const Link&)>& kept);
  size_t links() const { return peers.size(); }
  uint64_t bytesSentOnTheWire() const;

private:
  class Peer;
  std::string version;
  std::string problem_;
  _ENetHost* enet = nullptr;
  std::vector<std::unique_ptr<Peer>> peers;
};

// A host's watchers: their port beside the game's, and the feed that serves them.
class Audience {
public:
  // `gamePort` 0: no port for watchers, only shows through a server.
  // After the players' game, watchers are served at most this much longer than the hold-back.
  static constexpr int64_t LingerMs = WatchFeed::StallLimitMs + 2 * WatchFeed::PartingMs;

  Audience(const std::string& version, uint16_t gamePort, int delaySeconds,
           bool loopbackOnly = false);
  // Tells the watchers that the players' connection ended, as far as a moment allows.
  ~Audience();
  Audience(const Audience&) = delete;
  Audience& operator=(const Audience&) = delete;
  bool listening() const { return listening_; }
  // Also shows the game to watchers through a Pigmora server, the match's `token` naming it
  // there (host in network order). One show at a time: the one open carries the rematches.
  void showAt(uint32_t host, uint16_t port, const RelayToken& token, int64_t now);
  // Watchers are served here, through a server, or both.
  bool serving() const { return listening_ || !shows.empty(); }
  // Takes who came, serves everyone; call every frame.
  void serve(int64_t now);
  // The players' connection ended: serves the watchers to the end, `now` telling the time
  // and `stop` whether to stop early; returns when nobody is left or after LingerMs.
  void finish(const std::function<int64_t()>& now, const std::function<bool()>& stop);
  // A game ended and another may follow: serves until every watcher has its end, as long
  // as the hold-back and LingerMs allow.
  void tellEnd(const std::function<int64_t()>& now, const std::function<bool()>& stop);
  // Between games (the results, the menu) nobody calls serve: the watchers are served on a
  // thread of its own meanwhile, so that they neither time out nor lose their places, until
  // the next game takes them over. Nothing else may touch the audience in between.
  void keepServing();
  void takeOver();
  WatchHost port;
  WatchFeed feed;

private:
  void serveWhile(const std::function<bool()>& more, const std::function<int64_t()>& now,
                  const std::function<bool()>& stop);
  bool listening_ = false;
  std::string version;
  std::vector<std::unique_ptr<ServerStream>> shows;
  std::thread between;
  std::atomic<bool> betweenEnds{false};
};
