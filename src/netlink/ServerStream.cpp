#include "ServerStream.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "InviteCode.h"
#include "NetAddress.h"
#include "ServerMeeting.h"
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
  if (problem_.empty()) problem_ = why;
  resolving = false;
}

ServerStream::State ServerStream::state() const {
  if (!problem_.empty()) return State::Failed;
  if (resolving) return State::Resolving;
  if (!client) return State::Failed;
  switch (client->state()) {
    case StreamClient::State::Asking:
      return State::Asking;
    case StreamClient::State::Open:
      return State::Open;
    default:
      return State::Failed;
  }
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
  if (!readServerAddress(server, where, why)) {
    fail(why);
    return;
  }
  serverText = addressText(where);
  serverPort = where.port;
  question.type = LobbyType::Watch;
  question.stamp = versionStamp(version);
  if (!readCode(typed, question.code)) {
    fail(notACodeText(typed));
    return;
  }
  if (!openSocket()) return;
  lookup.start(where.host);
  resolving = true;
}

void ServerStream::show(uint32_t host, uint16_t port, const RelayToken& token, int64_t now) {
  serverHost = host;
  serverPort = port;
  in_addr shown{host};
  serverText = std::string(inet_ntoa(shown)) + ":" + std::to_string(port);
  question.type = LobbyType::Show;
  question.token = token;
  if (openSocket()) begin(question, now);
}

void ServerStream::begin(const LobbyMessage& asked, int64_t now) {
  sockaddr_in there{};
  there.sin_family = AF_INET;
  there.sin_addr.s_addr = serverHost;
  there.sin_port = htons(serverPort);
  int socket = fd;
  client = std::make_unique<StreamClient>(asked, [socket, there](const std::vector<uint8_t>& d) {
    sendto(socket, d.data(), d.size(), 0, reinterpret_cast<const sockaddr*>(&there), sizeof there);
  });
  client->start(now);
}

void ServerStream::service(int64_t now) {
  if (resolving) {
    bool found = false;
    uint32_t host = 0;
    if (lookup.done(found, host) && found) {
      serverHost = host;
      resolving = false;
      begin(question, now);
    } else if (lookup.done(found, host) || now - startedAt > EnetLink::LookupLimitMs) {
      fail("There is no machine called " + serverText.substr(0, serverText.rfind(':')));
    }
    return;
  }
  if (!client) return;
  std::vector<uint8_t> room(ReadRoom);
  for (int n = 0; n < MostReadsPerService; ++n) {
    sockaddr_in from{};
    socklen_t fromSize = sizeof from;
    ssize_t got =
        recvfrom(fd, room.data(), room.size(), 0, reinterpret_cast<sockaddr*>(&from), &fromSize);
    if (got < 0) break;
    // Only the server's datagrams count: anyone else's are dropped unread.
    if (from.sin_addr.s_addr == serverHost && ntohs(from.sin_port) == serverPort)
      client->take(room.data(), static_cast<size_t>(got), now);
  }
  client->service(now);
  if (client->state() != StreamClient::State::Asking &&
      client->state() != StreamClient::State::Open)
    fail(whyRefused());
}

std::string ServerStream::whyRefused() const {
  std::string at = "The Pigmora server at " + serverText;
  switch (client->state()) {
    case StreamClient::State::Silent:
      return at + " does not answer";
    case StreamClient::State::OtherProtocol:
      return at + " runs another version of the server";
    default:
      break;
  }
  switch (client->refusal()) {
    case Refusal::UnknownCode:
      return "No game is shown with the code " + shownCode(question.code) +
             ": a game is shown once both players are in";
    case Refusal::WatchersFull:
      return WatchersFullText;
    case Refusal::OtherVersion:
      return "The players have Pigmora " + stampVersion(client->refusedStamp()) + "; you have " +
             version;
    case Refusal::TooManyWrongCodes:
      return at + " takes no more codes from here for a minute: too many were wrong";
    case Refusal::Full:
    case Refusal::TooManyFromAddress:
      return at + " is full: try again later";
    case Refusal::OtherProtocol:
      return at + " runs another version of the server";
    case Refusal::Closing:
      return at + " is shutting down";
    case Refusal::NotShown:
      return at + " does not show this game";
  }
  return at + " refused";
}

bool ServerStream::notShownYet() const {
  return client && client->state() == StreamClient::State::Refused &&
         client->refusal() == Refusal::UnknownCode;
}

void ServerStream::send(Channel channel, const uint8_t* data, size_t size) {
  if (client) client->send(channel, data, size);
}

bool ServerStream::receive(std::vector<uint8_t>& packet) {
  return client && client->receive(packet);
}

bool ServerStream::gone() const {
  return !problem_.empty() || (client && client->gone());
}

void ServerStream::close() {
  if (client) client->close();
  if (!client && problem_.empty()) problem_ = "closed";
}
