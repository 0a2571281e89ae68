#include "ServerMeeting.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include "InviteCode.h"
#include "NetAddress.h"
#include "VersionStamp.h"

namespace {
// The loopback network, 127.0.0.0/8: a server there has every player on this machine.
constexpr uint32_t LoopbackNet = 0x7f000000, LoopbackMask = 0xff000000;
// The opening packet: one byte no ENet reads as its own.
constexpr uint8_t Opening[] = {0};

// This machine's IPv4 addresses on its networks (not the loopback one), with the game's port.
std::vector<Endpoint> ownAddresses(uint16_t port) {
  std::vector<Endpoint> found;
  ifaddrs* all = nullptr;
  if (getifaddrs(&all) != 0) return found;
  for (ifaddrs* i = all; i && found.size() < MostLocalAddresses; i = i->ifa_next) {
    if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET || !(i->ifa_flags & IFF_UP) ||
        (i->ifa_flags & IFF_LOOPBACK))
      continue;
    found.push_back(
        Endpoint{ntohl(reinterpret_cast<sockaddr_in*>(i->ifa_addr)->sin_addr.s_addr), port});
  }
  freeifaddrs(all);
  return found;
}

uint64_t newNonce() {
  uint64_t nonce = 0;
  systemRandomBytes(reinterpret_cast<uint8_t*>(&nonce), sizeof nonce);
  return nonce;
}
}  // namespace

bool readServerAddress(const std::string& server, NetAddress& where, std::string& problem) {
  std::string why;
  if (!parseAddress(server, where, why)) {
    problem = "'" + server + "' is no server's address (HOST or HOST:PORT): " + why;
    return false;
  }
  if (server.find(':') == std::string::npos) where.port = DefaultServerPort;
  return true;
}

std::string notACodeText(const std::string& typed) {
  return "'" + typed + "' is no invite code: it has six letters and digits, like K7M-X2Q";
}

ServerMeeting::ServerMeeting(std::string version, bool directWays)
    : version(version), directWays(directWays), link_(version), nonce(newNonce()) {}

ServerMeeting::~ServerMeeting() {
  close();
  link_.foreign = nullptr;
}

void ServerMeeting::fail(const std::string& why) {
  if (state_ == State::Failed) return;
  state_ = State::Failed;
  problem_ = why;
  link_.close();
}

void ServerMeeting::start(const std::string& server, Way how, const std::string& typed, int64_t now,
                          uint16_t port) {
  way = how;
  typedCode = typed;
  startedAt = now;
  NetAddress where;
  std::string why;
  if (!readServerAddress(server, where, why)) {
    fail(why);
    return;
  }
  serverText = addressText(where);
  serverPort = where.port;
  if (way == Way::Join && !readCode(typed, code_)) {
    fail(notACodeText(typed));
    return;
  }
  if (!link_.open(port)) {
    fail(link_.problem());
    return;
  }
  if (way == Way::Host) link_.listen();
  link_.foreign = [this](uint32_t host, uint16_t port, const uint8_t* data, size_t size) {
    return take(host, port, data, size);
  };
  lookup.start(where.host);
  state_ = State::Resolving;
}

void ServerMeeting::sendToServer(const LobbyMessage& message) {
  std::vector<uint8_t> bytes = encode(message);
  link_.sendRaw(serverHost, serverPort, bytes.data(), bytes.size());
}

void ServerMeeting::ask(int64_t now) {
  LobbyMessage m;
  m.type = way == Way::Host   ? LobbyType::Host
           : way == Way::Join ? LobbyType::Join
                              : LobbyType::Quick;
  m.nonce = nonce;
  m.stamp = versionStamp(version);
  m.code = code_;
  m.locals = locals;
  sendToServer(m);
  askedAt = now;
}

void ServerMeeting::service(int64_t now) {
  now_ = now;
  if (state_ == State::Failed) return;
  if (state_ == State::Resolving) {
    bool found = false;
    uint32_t host = 0;
    if (lookup.done(found, host) && found) {
      serverHost = host;
      // A server on this machine has every player here too: their own addresses lead
      // nowhere another machine could use.
      if ((ntohl(host) & LoopbackMask) != LoopbackNet) locals = ownAddresses(link_.port());
      state_ = State::Asking;
      ask(now);
    } else if (lookup.done(found, host) || now - startedAt > EnetLink::LookupLimitMs) {
      fail("There is no machine called " + serverText.substr(0, serverText.rfind(':')));
      return;
    }
  }
  if (state_ == State::Asking && now - askedAt >= AskAgainMs) ask(now);
  if (state_ == State::Waiting && now - askedAt >= WaitingAskMs) ask(now);
  bool waitingForServer = state_ == State::Asking || state_ == State::Waiting;
  int64_t heardAt = state_ == State::Asking ? startedAt : answeredAt;
  if (waitingForServer && now - heardAt > AnswerLimitMs) {
    fail("The Pigmora server at " + serverText + " does not answer");
    return;
  }
  if (state_ == State::Meeting) {
    const Endpoint& other = introduction.other;
    if (!introduction.listen && directWays && !punched && now - metAt >= PunchDelayMs) {
      link_.dial(htonl(other.ip), other.port, now);
      punched = true;
    }
    if (!relaying && (!directWays || now - metAt >= DirectLimitMs)) {
      relaying = true;
      if (!introduction.listen) link_.dial(serverHost, serverPort, now);
    }
  }
  if (relaying && (state_ == State::Meeting || path_ == Path::Relayed) &&
      now - provedAt >= ProveEveryMs) {
    LobbyMessage proof;
    proof.type = LobbyType::Relay;
    proof.token = introduction.token;
    sendToServer(proof);
    provedAt = now;
  }
  link_.service(now);
  if ((state_ == State::Asking || state_ == State::Waiting) &&
      link_.state() == EnetLink::State::Connected) {
    // Joined at the port, as without a server: the code is no longer wanted.
    close();
    state_ = State::Connected;
    path_ = Path::Direct;
  }
  if (state_ == State::Meeting && link_.state() == EnetLink::State::Connected) {
    state_ = State::Connected;
    path_ = link_.peerHost() == serverHost && link_.peerPort() == serverPort ? Path::Relayed
                                                                             : Path::Direct;
  }
  if (link_.state() == EnetLink::State::Refused || link_.state() == EnetLink::State::Failed)
    fail(link_.problem());
}

bool ServerMeeting::take(uint32_t host, uint16_t port, const uint8_t* data, size_t size) {
  if (host != serverHost || port != serverPort) return false;
  LobbyMessage m;
  Decoded read = decode(data, size, m);
  if (read == Decoded::NotLobby) return false;  // relayed: the other side's ENet
  if (read == Decoded::OtherProtocol) {
    fail("The Pigmora server at " + serverText + " runs another version of the server");
    return true;
  }
  if (read != Decoded::Ok || m.nonce != nonce) return true;
  if (state_ != State::Asking && state_ != State::Waiting) return true;
  answeredAt = now_;
  switch (m.type) {
    case LobbyType::Code:
      if (way == Way::Host) code_ = m.code, state_ = State::Waiting;
      break;
    case LobbyType::Queued:
      if (way == Way::Quick) waitedMs_ = m.ms, state_ = State::Waiting;
      break;
    case LobbyType::Meet:
      meet(m, now_);
      break;
    case LobbyType::Refused:
      refused(m);
      break;
    default:
      break;
  }
  return true;
}

void ServerMeeting::meet(const LobbyMessage& m, int64_t now) {
  introduction = m;
  introduced = true;
  metAt = now;
  provedAt = now;  // the server already relays for where it saw this side
  state_ = State::Meeting;
  if (m.listen) {
    link_.listen();
    // Opens this side's router towards the other, dying before the other's router could
    // take it for a stranger's and spoil the mapping the other's knock needs.
    if (directWays)
      link_.sendRaw(htonl(m.other.ip), m.other.port, Opening, sizeof Opening, OpeningTtl);
  } else if (directWays) {
    // Both behind one router: the other's own addresses answer first.
    for (const Endpoint& local : m.locals)
      if (local != m.other) link_.dial(htonl(local.ip), local.port, now);
  }
}

void ServerMeeting::refused(const LobbyMessage& m) {
  std::string at = "The Pigmora server at " + serverText;
  switch (m.refusal) {
    case Refusal::UnknownCode:
      fail("No game waits with the code " + shownCode(code_) +
           ": a code works once and lapses after 10 minutes");
      break;
    case Refusal::Full:
      fail(at + " is full: try again later");
      break;
    case Refusal::OtherVersion:
      fail("The other player has Pigmora " + stampVersion(m.stamp) + "; you have " + version);
      break;
    case Refusal::TooManyWrongCodes:
      fail(at + " takes no more codes from here for a minute: too many were wrong");
      break;
    case Refusal::TooManyFromAddress:
      fail(at + " has too many players from your address waiting already");
      break;
    case Refusal::OtherProtocol:
      fail(at + " runs another version of the server");
      break;
    case Refusal::Closing:
      fail(at + " is shutting down");
      break;
    case Refusal::WatchersFull:  // answers to watchers only
    case Refusal::NotShown:
      fail(at + " answered what was not asked");
      break;
  }
}

void ServerMeeting::close() {
  if (state_ == State::Waiting || state_ == State::Asking) {
    LobbyMessage leave;
    leave.type = LobbyType::Leave;
    leave.nonce = nonce;
    sendToServer(leave);
    if (link_.state() == EnetLink::State::Connected) return;  // the game goes on without it
  }
  if (state_ != State::Failed && state_ != State::Connected) state_ = State::Failed;
  link_.close();
}

void ServerMeeting::send(Channel channel, const uint8_t* data, size_t size) {
  link_.send(channel, data, size);
}

bool ServerMeeting::receive(std::vector<uint8_t>& packet) {
  return link_.receive(packet);
}

bool ServerMeeting::gone() const {
  return state_ == State::Failed || link_.gone();
}

std::string ServerMeeting::code() const {
  return way == Way::Host && !code_.empty() ? shownCode(code_) : "";
}
