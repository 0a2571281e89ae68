#include "ServerStream.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "InviteCode.h"
#include "NetAddress.h"
#include "VersionStamp.h"
#include "Watching.h"

namespace {
// Datagrams read in one service: a feed sends a few a second, so this is only a bound on
// what a flood could hold the frame for.
constexpr int MostReadsPerService = 256;
constexpr size_t ReadRoom = 2048;
}  // namespace

ServerStream::ServerStream(std::string version) : version(std::move(version)) {
  systemRandomBytes(reinterpret_cast<uint8_t*>(&question.nonce), sizeof question.nonce);
}

ServerStream::~ServerStream() {
  close();
  if (fd >= 0) ::close(fd);
}

void ServerStream::fail(const std::string& why) {
  if (state_ == State::Failed && !problem_.empty()) return;
  state_ = State::Failed;
  problem_ = why;
}

bool ServerStream::openSocket() {
  fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  sockaddr_in any{};
  any.sin_family = AF_INET;
  if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&any), sizeof any) != 0) {
    fail("No network socket can be had here");
    return false;
  }
  return true;
}

void ServerStream::watch(const std::string& server, const std::string& typed, int64_t now) {
  startedAt = now;
  NetAddress where;
  std::string why;
  if (!parseAddress(server, where, why)) {
    fail("'" + server + "' is no server's address (HOST or HOST:PORT): " + why);
    return;
  }
  if (server.find(':') == std::string::npos) where.port = DefaultServerPort;
  serverText = addressText(where);
  serverPort = where.port;
  question.type = LobbyType::Watch;
  question.stamp = versionStamp(version);
  if (!readCode(typed, question.code)) {
    fail("'" + typed + "' is no invite code: it has six letters and digits, like K7M-X2Q");
    return;
  }
  if (!openSocket()) return;
  lookup.start(where.host);
  state_ = State::Resolving;
}

void ServerStream::show(uint32_t host, uint16_t port, const RelayToken& token, int64_t now) {
  startedAt = now;
  serverHost = host;
  serverPort = port;
  in_addr shown{host};
  serverText = std::string(inet_ntoa(shown)) + ":" + std::to_string(port);
  question.type = LobbyType::Show;
  question.token = token;
  if (!openSocket()) return;
  state_ = State::Asking;
  ask(now);
}

void ServerStream::ask(int64_t now) {
  std::vector<uint8_t> bytes = encode(question);
  sockaddr_in there{};
  there.sin_family = AF_INET;
  there.sin_addr.s_addr = serverHost;
  there.sin_port = htons(serverPort);
  sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&there), sizeof there);
  askedAt = now;
}

void ServerStream::service(int64_t now) {
  if (state_ == State::Resolving) {
    bool found = false;
    uint32_t host = 0;
    if (lookup.done(found, host) && found) {
      serverHost = host;
      state_ = State::Asking;
      ask(now);
    } else if (lookup.done(found, host) || now - startedAt > EnetLink::LookupLimitMs) {
      fail("There is no machine called " + serverText.substr(0, serverText.rfind(':')));
      return;
    }
  }
  if (fd < 0 || (state_ == State::Failed && !stream)) return;
  std::vector<uint8_t> room(ReadRoom);
  for (int n = 0; n < MostReadsPerService; ++n) {
    sockaddr_in from{};
    socklen_t fromSize = sizeof from;
    ssize_t got =
        recvfrom(fd, room.data(), room.size(), 0, reinterpret_cast<sockaddr*>(&from), &fromSize);
    if (got < 0) break;
    // Only the server's datagrams count: anyone else's are dropped unread.
    if (from.sin_addr.s_addr != serverHost || ntohs(from.sin_port) != serverPort) continue;
    bytesIn += static_cast<uint64_t>(got);
    take(room.data(), static_cast<size_t>(got), now);
  }
  if (state_ == State::Asking && now - askedAt >= AskAgainMs) ask(now);
  if (state_ == State::Asking && now - startedAt > AnswerLimitMs)
    fail("The Pigmora server at " + serverText + " does not answer");
  if (stream) stream->service(now);
}

void ServerStream::take(const uint8_t* data, size_t size, int64_t now) {
  LobbyMessage m;
  Decoded read = decode(data, size, m);
  if (read == Decoded::OtherProtocol && state_ == State::Asking) {
    fail("The Pigmora server at " + serverText + " runs another version of the server");
    return;
  }
  if (read != Decoded::Ok) return;
  if (m.type == LobbyType::Stream) {
    if (stream && m.token == stream->token()) stream->take(m.part, now);
    return;
  }
  if (state_ != State::Asking || m.nonce != question.nonce) return;
  std::string at = "The Pigmora server at " + serverText;
  if (m.type == LobbyType::Opened) {
    int socket = fd;
    sockaddr_in there{};
    there.sin_family = AF_INET;
    there.sin_addr.s_addr = serverHost;
    there.sin_port = htons(serverPort);
    auto sendPart = [socket, there](const std::vector<uint8_t>& datagram) {
      sendto(socket, datagram.data(), datagram.size(), 0, reinterpret_cast<const sockaddr*>(&there),
             sizeof there);
    };
    stream = std::make_unique<StreamLink>(m.token, sendPart, now);
    // The first word under the token proves this side asked from here.
    stream->sayHello();
    state_ = State::Open;
    return;
  }
  if (m.type != LobbyType::Refused) return;
  switch (m.refusal) {
    case Refusal::UnknownCode:
      fail("No game is shown with the code " + shownCode(question.code) +
           ": a game is shown once both players are in");
      break;
    case Refusal::WatchersFull:
      fail(WatchersFullText);
      break;
    case Refusal::OtherVersion:
      fail("The players have Pigmora " + stampVersion(m.stamp) + "; you have " + version);
      break;
    case Refusal::TooManyWrongCodes:
      fail(at + " takes no more codes from here for a minute: too many were wrong");
      break;
    case Refusal::Full:
    case Refusal::TooManyFromAddress:
      fail(at + " is full: try again later");
      break;
    case Refusal::OtherProtocol:
      fail(at + " runs another version of the server");
      break;
    case Refusal::Closing:
      fail(at + " is shutting down");
      break;
    case Refusal::NotShown:
      fail(at + " does not show this game");
      break;
  }
}

void ServerStream::send(Channel channel, const uint8_t* data, size_t size) {
  if (stream) stream->send(channel, data, size);
}

bool ServerStream::receive(std::vector<uint8_t>& packet) {
  return stream && stream->receive(packet);
}

bool ServerStream::gone() const {
  return stream ? stream->gone() : state_ == State::Failed;
}

void ServerStream::close() {
  if (stream) stream->close();
  if (state_ != State::Open) fail("closed");
}
