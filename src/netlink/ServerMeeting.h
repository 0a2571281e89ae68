#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "EnetLink.h"
#include "LobbyWire.h"

// Reads a Pigmora server's "HOST" or "HOST:PORT" (DefaultServerPort unless given); false
// with the words for the player in `problem`.
bool readServerAddress(const std::string& server, NetAddress& where, std::string& problem);
// The words for a typed invite code that is none.
std::string notACodeText(const std::string& typed);

// A network game's connection arranged by a Pigmora server: register and wait with a code,
// join by a code, or wait for a quick match; then the server tells each side where the
// other is, the two try the direct ways (the other's own network first, then through both
// routers, one side opening its router before the other knocks), and if none answers in
// time both go through the server's relay. What comes out is a link like any other: the
// match over it neither knows nor cares which way it went.
class ServerMeeting : public Link {
public:
  enum class Way { Host, Join, Quick };
  enum class State {
    Resolving,  // looking the server's name up
    Asking,     // asked the server, no answer yet
    Waiting,    // host: holds a code; quick: in the queue
    Meeting,    // introduced: trying the ways to the other side
    Connected,
    Failed,  // `problem` says why, in words for the player
  };
  enum class Path { None, Direct, Relayed };

  // The server must answer within this, or it "does not answer".
  static constexpr int64_t AnswerLimitMs = 5000;
  // A question not yet answered is asked again this often; a waiting side asks this often
  // whether anyone came (and so keeps its place and its router's mapping).
  static constexpr int64_t AskAgainMs = 250;
  static constexpr int64_t WaitingAskMs = 1000;
  // The knocking side knocks at the other's router this long after the introduction, so
  // that the other's packet has opened it first.
  static constexpr int64_t PunchDelayMs = 500;
  // With no direct way answering within this, both sides go through the relay.
  static constexpr int64_t DirectLimitMs = 3000;
  // How often a relayed side proves its token again, in case its router changed its port.
  static constexpr int64_t ProveEveryMs = 2000;
  // The routers the opening packet may cross: its own, not the other side's.
  static constexpr int OpeningTtl = 2;

  // `version` is this program's; `directWays` false goes through the relay at once.
  explicit ServerMeeting(std::string version, bool directWays = true);
  ~ServerMeeting() override;

  // `server` is "HOST" or "HOST:PORT"; `code` (Join) as typed. The game's socket takes
  // `port` (0: one of the system's choosing); a host listens on it from the start, so a
  // player on its own network may still join it at that port, as without a server.
  void start(const std::string& server, Way way, const std::string& code, int64_t now,
             uint16_t port = 0);
  void service(int64_t now) override;
  void close() override;
  void send(Channel channel, const uint8_t* data, size_t size) override;
  bool receive(std::vector<uint8_t>& packet) override;
  bool gone() const override;

  State state() const { return state_; }
  const std::string& problem() const { return problem_; }
  // Host: the code to tell a friend, "K7M-X2Q" ("" before the server gave it).
  std::string code() const;
  // Quick: how long this side has waited in the queue, as the server counts.
  int64_t waitedMs() const { return waitedMs_; }
  Path path() const { return path_; }
  // Introduced as the side that waits for the other's knock: the match's host.
  bool listens() const { return introduction.listen; }
  int roundTripMs() const { return link_.roundTripMs(); }
  EnetLink& link() { return link_; }
  // The host of a match the server made by its code may show it there to watchers: under
  // this token, at this server (network order).
  bool showable() const { return introduced && way == Way::Host && introduction.listen; }
  const RelayToken& token() const { return introduction.token; }
  uint32_t serverHostAddress() const { return serverHost; }
  uint16_t serverPortNumber() const { return serverPort; }
  const std::string& server() const { return serverText; }

private:
  bool take(uint32_t host, uint16_t port, const uint8_t* data, size_t size);
  void ask(int64_t now);
  void meet(const LobbyMessage& meeting, int64_t now);
  void refused(const LobbyMessage& refusal);
  void fail(const std::string& why);
  void sendToServer(const LobbyMessage& message);

  std::string version;
  bool directWays;
  EnetLink link_;
  State state_ = State::Resolving;
  Way way = Way::Host;
  std::string problem_;
  std::string serverText;
  std::string typedCode, code_;
  NameLookup lookup;
  uint32_t serverHost = 0;  // network order
  uint16_t serverPort = 0;
  uint64_t nonce = 0;
  std::vector<Endpoint> locals;
  int64_t startedAt = 0, askedAt = 0, answeredAt = 0, metAt = 0, provedAt = 0;
  int64_t waitedMs_ = 0;
  LobbyMessage introduction;
  bool punched = false, relaying = false, introduced = false;
  Path path_ = Path::None;
  int64_t now_ = 0;
};
