#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "InviteCode.h"
#include "LobbyWire.h"
#include "StreamLink.h"

class FeedRelay;

// Every limit of a Pigmora server, in one place: whatever a client sends, the server holds
// no more than these allow.
struct ServerBounds {
  size_t waitingHosts = 4096;  // hosts holding a code
  size_t queue = 4096;         // players waiting for a quick match
  size_t matches = 2048;       // introduced pairs the server may relay for (--max-matches)
  // Hosts and quick waiters from one address (one router may hide a household).
  size_t clientsPerAddress = 16;
  // What one side of a match may have relayed each second; more is dropped. A game sends
  // about 33 packets a second, with ENet's acknowledgements and pings.
  double relayPacketsPerSecond = 200;
  double relayBytesPerSecond = 48 * 1024;
  // Wrong codes from one address: past this many a minute, its joins are refused a minute.
  int wrongCodesPerMinute = 10;
  int64_t wrongCodeWindowMs = 60 * 1000;
  int64_t wrongCodeBanMs = 60 * 1000;
  size_t trackedAddresses = 16384;  // addresses whose wrong codes are counted
  int64_t codeLapseMs = 10 * 60 * 1000;
  int64_t hostSilenceMs = 20 * 1000;  // a waiting host asks again every second
  int64_t queueSilenceMs = 5 * 1000;  // so does a quick waiter
  // A match nothing was relayed for this long is forgotten (one played directly too).
  int64_t matchIdleMs = 30 * 1000;
  size_t largestDatagram = 1500;
  // Games made by a code that are shown to watchers through the server, at once; the
  // watchers of each; the longest game a show holds (twenty minutes of ticks, 0.7 MB, and
  // a show holds two games at most: some 150 MB for all the shows at the very worst).
  size_t shows = 64;
  size_t watchersPerShow = 100;
  uint32_t showTicks = 20 * 60 * 60;
  // A stream opened for an address that never proved it asked is forgotten after this;
  // until it proves it, nothing but the answer to its question goes there.
  int64_t unprovenStreamMs = 5 * 1000;
};

// What the server has done, for its log and its tests.
struct ServerCounts {
  uint64_t codesIssued = 0, matchesMade = 0, quickMatches = 0;
  uint64_t relayedPackets = 0, relayedBytes = 0, overRate = 0;
  uint64_t dropped = 0;  // garbage, half-valid, unknown senders of relay traffic
  uint64_t wrongCodes = 0, refused = 0;
  uint64_t showsOpened = 0, watchersTaken = 0;
};

// A Pigmora server without its socket: what comes in, what goes out, and the clock.
class LobbyServer {
public:
  using Send = std::function<void(const Endpoint& to, const uint8_t* data, size_t size)>;
  using Log = std::function<void(const std::string& line)>;

  LobbyServer(const ServerBounds& bounds, Send send, Log log, RandomBytes random);
  ~LobbyServer();

  void receive(const Endpoint& from, const uint8_t* data, size_t size, int64_t now);
  // Forgets what lapsed or fell silent; call a few times a second.
  void tick(int64_t now);
  // From now on no host, join or quick match is taken (the server is shutting down).
  void stopTaking();

  const ServerCounts& counts() const { return counts_; }
  size_t waitingHosts() const { return hosts.size(); }
  size_t queued() const { return queue.size(); }
  size_t matches() const { return matches_.size(); }
  size_t shows() const { return shows_.size(); }
  size_t watchers() const;

private:
  struct Client {
    Endpoint at;
    uint64_t nonce = 0;
    bool operator==(const Client& o) const { return at == o.at && nonce == o.nonce; }
  };
  struct ClientHash {
    size_t operator()(const Client& c) const {
      return EndpointHash()(c.at) ^ std::hash<uint64_t>()(c.nonce);
    }
  };
  struct Waiting {
    Client client;
    uint32_t stamp = 0;
    std::vector<Endpoint> locals;
    int64_t since = 0, heard = 0;
    std::string code;  // a host's
  };
  struct Side {
    Client client;
    std::vector<Endpoint> locals;
    RelayToken token{};
    Endpoint relayAt;               // where relayed datagrams for this side go, and come from
    double packets = 0, bytes = 0;  // the rate's allowance left
    int64_t refilled = 0;
  };
  struct Match {
    Side sides[2];     // 0 listens, 1 knocks
    std::string code;  // the code it was made by ("" for a quick match)
    uint32_t stamp = 0;
    int64_t lastUsed = 0;
    bool relayed = false;
  };
  struct Guesses {
    int64_t windowStart = 0;
    int count = 0;
    int64_t bannedUntil = 0;
  };
  struct TokenHash {
    size_t operator()(const RelayToken& t) const;
  };
  struct SideRef {
    uint64_t match = 0;
    int side = 0;
  };

  // A stream with a game: the host of a show, or one of its watchers.
  struct StreamEnd {
    Client client;
    std::unique_ptr<StreamLink> link;
    std::string show;
    bool host = false;
    bool proven = false;  // heard from under its token, at its address
    int64_t openedAt = 0;
  };
  struct Show {
    uint32_t stamp = 0;
    Endpoint host;
    std::unique_ptr<FeedRelay> relay;
    size_t watchers = 0;
  };

  void answer(const Endpoint& to, const LobbyMessage& message, size_t askedWith);
  void refuse(const Endpoint& to, uint64_t nonce, Refusal why, size_t askedWith,
              uint32_t stamp = 0);
  void host(const Endpoint& from, const LobbyMessage& m, size_t size, int64_t now);
  void join(const Endpoint& from, const LobbyMessage& m, size_t size, int64_t now);
  void quick(const Endpoint& from, const LobbyMessage& m, size_t size, int64_t now);
  void leave(const Endpoint& from, const LobbyMessage& m);
  void bindRelay(const Endpoint& from, const LobbyMessage& m, int64_t now);
  void relay(const Endpoint& from, const uint8_t* data, size_t size, int64_t now);
  bool introduced(const Client& client, size_t askedWith);
  LobbyMessage meeting(const Match& match, int side) const;
  bool roomFor(const Endpoint& from, uint64_t nonce, size_t askedWith, size_t held, size_t most);
  // Makes a match of a waiting host or quick waiter and a newcomer; tells both.
  void introduce(const Waiting& waiter, const Client& newcomer, const std::vector<Endpoint>& locals,
                 size_t askedWith, int64_t now);
  bool guessedTooOften(uint32_t ip, int64_t now);
  void forget(uint64_t id);
  void show(const Endpoint& from, const LobbyMessage& m, size_t size, int64_t now);
  void watch(const Endpoint& from, const LobbyMessage& m, size_t size, int64_t now);
  void stream(const Endpoint& from, const LobbyMessage& m, int64_t now);
  bool reopened(const Client& client, size_t askedWith);
  bool streamRoom(const Client& client, size_t askedWith);
  StreamEnd& openStream(const Client& client, const std::string& show, bool host, int64_t now);
  void tickShows(int64_t now);
  void dropStream(const Endpoint& at);
  // Counts a wrong code from `from` and tells it so; false when it may still guess.
  void wrongCode(const Endpoint& from, uint64_t nonce, size_t askedWith, int64_t now);
  void dropWaiting(const Client& client);

  ServerBounds bounds;
  Send send;
  Log log;
  RandomBytes random;
  bool taking = true;
  ServerCounts counts_;

  std::unordered_map<std::string, Waiting> hosts;  // by code
  std::unordered_map<Client, std::string, ClientHash> hostCodes;
  std::list<Waiting> queue;  // longest waiting first
  std::unordered_map<Client, std::list<Waiting>::iterator, ClientHash> queued_;
  std::unordered_map<uint32_t, size_t> perAddress;  // hosts and waiters
  std::unordered_map<uint64_t, Match> matches_;
  uint64_t nextMatch = 1;
  std::unordered_map<Client, uint64_t, ClientHash> introductions;
  std::unordered_map<Endpoint, SideRef, EndpointHash> relayed;
  std::unordered_map<RelayToken, SideRef, TokenHash> tokens;
  std::unordered_map<uint32_t, Guesses> guesses;
  std::unordered_map<std::string, Show> shows_;  // by code
  std::unordered_map<Endpoint, StreamEnd, EndpointHash> streams;
  int64_t showsTickedAt = INT64_MIN / 2;
};
