#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What a Pigmora server and the game say to each other over UDP, before and beside the
// game's own connection. Every message starts with a marker whose first byte no ENet
// datagram of ours starts with (it would need ENet's compression), so that the game's
// socket can carry both; the server forwards whatever lacks it between two introduced
// players.

// The UDP port a Pigmora server answers on unless told otherwise.
constexpr uint16_t DefaultServerPort = 24644;
// The version of these messages; a server and a game that differ say so and stop.
constexpr uint8_t LobbyProtocol = 1;
// Every request is padded to this, and no answer is longer, so that nobody can make the
// server send more than it was sent.
constexpr size_t RequestBytes = 96;
// The addresses on its own network a side tells the server, at most.
constexpr size_t MostLocalAddresses = 4;
// Proof that a datagram to be relayed comes from a side the server introduced: 128 bits.
constexpr size_t TokenBytes = 16;
using RelayToken = std::array<uint8_t, TokenBytes>;

// An IPv4 address (in host order) and a port.
struct Endpoint {
  uint32_t ip = 0;
  uint16_t port = 0;
  bool operator==(const Endpoint& o) const { return ip == o.ip && port == o.port; }
  bool operator!=(const Endpoint& o) const { return !(*this == o); }
};
struct EndpointHash {
  size_t operator()(const Endpoint& e) const {
    return std::hash<uint64_t>()(uint64_t(e.ip) << 16 | e.port);
  }
};
// "a.b.c.d:port", for tests and tools; the server never logs one.
std::string endpointText(const Endpoint& endpoint);

enum class LobbyType : uint8_t {
  // Asked by a game, padded to RequestBytes; asked again until answered.
  Host = 1,  // give me a code and tell me who comes
  Join,      // introduce me to the host with this code
  Quick,     // introduce me to whoever has waited longest, or let me wait
  Leave,     // forget my waiting
  Relay,     // I am this side of a match (its token): forward to me here from now on
  Show,      // host of a match (its token): open a stream for its watchers' feed
  Watch,     // open me a stream of the game shown with this code
  // Either way once a stream is open: a part of it, under the stream's token.
  Stream = 0x20,
  // Answered by the server.
  Code = 0x41,  // your code
  Queued,       // you wait, this long so far
  Meet,         // the other side: where it is seen, its own addresses, your token
  Refused,      // why not
  Opened,       // a stream is open under this token: prove it from where you asked
};

enum class Refusal : uint8_t {
  UnknownCode = 1,    // no host waits with that code (never was, lapsed, or taken)
  Full,               // the server has no room now
  OtherVersion,       // the host runs another version: `stamp` is the host's
  TooManyWrongCodes,  // this address guessed too often: it waits a minute
  TooManyFromAddress,
  OtherProtocol,  // the server speaks another version of these messages
  Closing,        // the server is shutting down
  WatchersFull,   // the game shown with that code has all the watchers it can take
  NotShown,       // the match is not shown (not made by a code, or forgotten)
};

// A stream's part: `seq` numbers the parts that carry data, `ack` is the next one this side
// waits for from the other.
struct StreamPart {
  uint32_t ack = 0;
  uint32_t seq = 0;
  uint8_t flags = 0;
  std::vector<uint8_t> data;
};
// The flags of a part.
constexpr uint8_t StreamCarries = 1;  // `data` is part `seq` (else only `ack` counts)
constexpr uint8_t StreamBye = 2;      // the sender is done with the stream
// The most a part carries: a feed's packet of ticks and its header, with room to spare.
constexpr size_t MostStreamData = 1200;

struct LobbyMessage {
  LobbyType type = LobbyType::Host;
  uint64_t nonce = 0;  // the asker's, so that an answer is known for its question
  // Host, Join, Quick, Watch: the asker's version stamp; Refused: the host's
  uint32_t stamp = 0;
  std::string code;              // Join, Watch, Code: six symbols as stored
  std::vector<Endpoint> locals;  // Host, Join, Quick: the asker's own; Meet: the other's
  Endpoint other;                // Meet: the other side, as the server sees it
  bool listen = false;           // Meet: this side waits for the other's knock
  RelayToken token{};            // Meet, Relay, Show, Opened, Stream
  StreamPart part;               // Stream
  uint32_t ms = 0;               // Code: until it lapses; Queued: waited so far
  Refusal refusal = Refusal::Full;
};

enum class Decoded {
  Ok,
  NotLobby,       // no marker: the game's own, or to be relayed
  Broken,         // a marker but nothing whole: counted and dropped
  OtherProtocol,  // a marker and another version of these messages
};

// Requests come out padded to RequestBytes.
std::vector<uint8_t> encode(const LobbyMessage& message);
Decoded decode(const uint8_t* data, size_t size, LobbyMessage& message);
bool hasLobbyMarker(const uint8_t* data, size_t size);
// Whether the message is one a game asks (and so padded).
bool isRequest(LobbyType type);
