#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "EnetLink.h"
#include "StreamClient.h"

// A stream to a Pigmora server on a socket of its own: a watcher's, of the game shown with a
// code, or a host's, carrying its watchers' feed up once for the server to pass on to them
// all. Once open it is a link like any other.
class ServerStream : public Link {
public:
  enum class State { Resolving, Asking, Open, Failed };
  // A watcher waiting for its game to be shown asks again this often: slower than ten a
  // minute, past which the server takes its address for a guesser of codes.
  static constexpr int64_t AskShowAgainMs = 7000;

  explicit ServerStream(std::string version);
  ~ServerStream() override;
  ServerStream(const ServerStream&) = delete;
  ServerStream& operator=(const ServerStream&) = delete;

  // Watches the game shown with `code` (as typed) at `server`, "HOST" or "HOST:PORT".
  void watch(const std::string& server, const std::string& code, int64_t now);
  // Shows the match the server introduced under `token` (host in network order).
  void show(uint32_t host, uint16_t port, const RelayToken& token, int64_t now);

  void service(int64_t now) override;
  void send(Channel channel, const uint8_t* data, size_t size) override;
  bool receive(std::vector<uint8_t>& packet) override;
  bool gone() const override;
  void close() override;

  State state() const;
  // Why it failed, in words for the player.
  const std::string& problem() const { return problem_; }
  const std::string& server() const { return serverText; }
  // Failed only because no game is shown with the code (yet: it is once both players are in).
  bool notShownYet() const;

private:
  bool openSocket();
  void begin(const LobbyMessage& question, int64_t now);
  void fail(const std::string& why);
  std::string whyRefused() const;

  std::string version;
  bool resolving = false;
  std::string problem_;
  std::string serverText;
  std::string code;
  NameLookup lookup;
  LobbyMessage question;
  int fd = -1;
  uint32_t serverHost = 0;  // network order
  uint16_t serverPort = 0;
  int64_t startedAt = 0;
  std::unique_ptr<StreamClient> client;
};
