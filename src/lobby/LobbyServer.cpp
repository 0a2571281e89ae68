#include "LobbyServer.h"

#include <algorithm>
#include <cstring>

#include "VersionStamp.h"
#include "Watching.h"

namespace {
constexpr double MsPerSecond = 1000.0;
// Tries at a code no host holds before the server counts itself full: with some 887
// million codes and a few thousand hosts, a second try is already rare.
constexpr int CodeTries = 8;
constexpr int64_t ShowTickMs = 5;
}  // namespace

size_t LobbyServer::TokenHash::operator()(const RelayToken& t) const {
  uint64_t head = 0;
  std::memcpy(&head, t.data(), sizeof head);
  return std::hash<uint64_t>()(head);
}

LobbyServer::LobbyServer(const ServerBounds& bounds, Send send, Log log, RandomBytes random)
    : bounds(bounds), send(std::move(send)), log(std::move(log)), random(std::move(random)) {}

// The shows' relays hold their streams' links: they go first.
LobbyServer::~LobbyServer() {
  shows_.clear();
}

void LobbyServer::answer(const Endpoint& to, const LobbyMessage& message, size_t askedWith) {
  std::vector<uint8_t> bytes = encode(message);
  // Never more than was sent: the server must not amplify a forged sender's traffic.
  if (bytes.size() > askedWith) return;
  send(to, bytes.data(), bytes.size());
}

void LobbyServer::refuse(const Endpoint& to, uint64_t nonce, Refusal why, size_t askedWith,
                         uint32_t stamp) {
  ++counts_.refused;
  LobbyMessage m;
  m.type = LobbyType::Refused;
  m.nonce = nonce;
  m.refusal = why;
  m.stamp = stamp;
  answer(to, m, askedWith);
}

void LobbyServer::receive(const Endpoint& from, const uint8_t* data, size_t size, int64_t now) {
  if (size > bounds.largestDatagram) {
    ++counts_.dropped;
    return;
  }
  LobbyMessage m;
  switch (decode(data, size, m)) {
    case Decoded::NotLobby:
      relay(from, data, size, now);
      return;
    case Decoded::Broken:
      ++counts_.dropped;
      return;
    case Decoded::OtherProtocol:
      refuse(from, 0, Refusal::OtherProtocol, size);
      return;
    case Decoded::Ok:
      break;
  }
  bool asksForGame = m.type == LobbyType::Host || m.type == LobbyType::Join ||
                     m.type == LobbyType::Quick || m.type == LobbyType::Watch;
  if (asksForGame && stampVersion(m.stamp).empty()) {
    ++counts_.dropped;
    return;
  }
  switch (m.type) {
    case LobbyType::Host:
      host(from, m, size, now);
      break;
    case LobbyType::Join:
      join(from, m, size, now);
      break;
    case LobbyType::Quick:
      quick(from, m, size, now);
      break;
    case LobbyType::Leave:
      leave(from, m);
      break;
    case LobbyType::Relay:
      bindRelay(from, m, now);
      break;
    case LobbyType::Show:
      show(from, m, size, now);
      break;
    case LobbyType::Watch:
      watch(from, m, size, now);
      break;
    case LobbyType::Stream:
      stream(from, m, now);
      break;
    default:
      ++counts_.dropped;  // an answer sent to the server
      break;
  }
}

LobbyMessage LobbyServer::meeting(const Match& match, int side) const {
  const Side& mine = match.sides[side];
  const Side& theirs = match.sides[1 - side];
  LobbyMessage m;
  m.type = LobbyType::Meet;
  m.nonce = mine.client.nonce;
  m.listen = side == 0;
  m.other = theirs.client.at;
  m.locals = theirs.locals;
  m.token = mine.token;
  return m;
}

bool LobbyServer::introduced(const Client& client, size_t askedWith) {
  auto found = introductions.find(client);
  if (found == introductions.end()) return false;
  const Match& match = matches_.at(found->second);
  answer(client.at, meeting(match, match.sides[0].client == client ? 0 : 1), askedWith);
  return true;
}

bool LobbyServer::roomFor(const Endpoint& from, uint64_t nonce, size_t askedWith, size_t held,
                          size_t most) {
  Refusal why = Refusal::Full;
  bool room = taking && held < most;
  if (!taking) why = Refusal::Closing;
  if (room && perAddress[from.ip] >= bounds.clientsPerAddress)
    room = false, why = Refusal::TooManyFromAddress;
  if (perAddress[from.ip] == 0) perAddress.erase(from.ip);
  if (!room) refuse(from, nonce, why, askedWith);
  return room;
}

void LobbyServer::host(const Endpoint& from, const LobbyMessage& m, size_t size, int64_t now) {
  Client client{from, m.nonce};
  if (introduced(client, size)) return;
  LobbyMessage reply;
  reply.type = LobbyType::Code;
  reply.nonce = m.nonce;
  auto held = hostCodes.find(client);
  if (held != hostCodes.end()) {
    Waiting& waiting = hosts.at(held->second);
    waiting.heard = now;
    reply.code = waiting.code;
    reply.ms =
        static_cast<uint32_t>(std::max<int64_t>(0, bounds.codeLapseMs - (now - waiting.since)));
    answer(from, reply, size);
    return;
  }
  if (!roomFor(from, m.nonce, size, hosts.size(), bounds.waitingHosts)) return;
  std::string code;
  for (int i = 0; i < CodeTries && (code.empty() || hosts.count(code)); ++i) code = newCode(random);
  if (hosts.count(code)) {
    refuse(from, m.nonce, Refusal::Full, size);
    return;
  }
  Waiting waiting{client, m.stamp, m.locals, now, now, code};
  hosts[code] = waiting;
  hostCodes[client] = code;
  ++perAddress[from.ip];
  ++counts_.codesIssued;
  log("code issued (" + std::to_string(hosts.size()) + " hosts waiting)");
  reply.code = code;
  reply.ms = static_cast<uint32_t>(bounds.codeLapseMs);
  answer(from, reply, size);
}

bool LobbyServer::guessedTooOften(uint32_t ip, int64_t now) {
  auto found = guesses.find(ip);
  return found != guesses.end() && found->second.bannedUntil > now;
}

void LobbyServer::wrongCode(const Endpoint& from, uint64_t nonce, size_t size, int64_t now) {
  ++counts_.wrongCodes;
  if (!guesses.count(from.ip) && guesses.size() >= bounds.trackedAddresses) {
    // Too many guessers to follow each: every new one waits, as a banned one does.
    refuse(from, nonce, Refusal::TooManyWrongCodes, size);
    return;
  }
  Guesses& g = guesses[from.ip];
  if (now - g.windowStart >= bounds.wrongCodeWindowMs) g.windowStart = now, g.count = 0;
  if (++g.count > bounds.wrongCodesPerMinute) {
    g.bannedUntil = now + bounds.wrongCodeBanMs;
    log("an address guessed too many codes: refused for a minute");
  }
  refuse(from, nonce, Refusal::UnknownCode, size);
}

void LobbyServer::join(const Endpoint& from, const LobbyMessage& m, size_t size, int64_t now) {
  Client client{from, m.nonce};
  if (introduced(client, size)) return;
  if (guessedTooOften(from.ip, now)) {
    refuse(from, m.nonce, Refusal::TooManyWrongCodes, size);
    return;
  }
  auto found = hosts.find(m.code);
  if (found == hosts.end()) {
    wrongCode(from, m.nonce, size, now);
    return;
  }
  const Waiting& waiting = found->second;
  if (waiting.stamp != m.stamp) {
    refuse(from, m.nonce, Refusal::OtherVersion, size, waiting.stamp);
    return;
  }
  if (!taking || matches_.size() >= bounds.matches) {
    refuse(from, m.nonce, taking ? Refusal::Full : Refusal::Closing, size);
    return;
  }
  Waiting host = waiting;
  dropWaiting(host.client);
  introduce(host, client, m.locals, size, now);
  Match& made = matches_.at(introductions.at(client));
  made.code = host.code;
  made.stamp = host.stamp;
  log("code taken: match made (" + std::to_string(matches_.size()) + " matches, " +
      std::to_string(hosts.size()) + " hosts waiting)");
}

void LobbyServer::quick(const Endpoint& from, const LobbyMessage& m, size_t size, int64_t now) {
  Client client{from, m.nonce};
  if (introduced(client, size)) return;
  LobbyMessage reply;
  reply.type = LobbyType::Queued;
  reply.nonce = m.nonce;
  auto mine = queued_.find(client);
  if (mine != queued_.end()) {
    mine->second->heard = now;
    reply.ms = static_cast<uint32_t>(now - mine->second->since);
    answer(from, reply, size);
    return;
  }
  auto other = std::find_if(queue.begin(), queue.end(),
                            [&](const Waiting& w) { return w.stamp == m.stamp; });
  if (other != queue.end()) {
    if (!taking || matches_.size() >= bounds.matches) {
      refuse(from, m.nonce, taking ? Refusal::Full : Refusal::Closing, size);
      return;
    }
    Waiting waiter = *other;
    dropWaiting(waiter.client);
    introduce(waiter, client, m.locals, size, now);
    ++counts_.quickMatches;
    log("quick match made (" + std::to_string(matches_.size()) + " matches, " +
        std::to_string(queue.size()) + " waiting)");
    return;
  }
  if (!roomFor(from, m.nonce, size, queue.size(), bounds.queue)) return;
  queue.push_back(Waiting{client, m.stamp, m.locals, now, now, ""});
  queued_[client] = std::prev(queue.end());
  ++perAddress[from.ip];
  log("a player waits for a quick match (" + std::to_string(queue.size()) + " waiting)");
  answer(from, reply, size);
}

void LobbyServer::introduce(const Waiting& waiter, const Client& newcomer,
                            const std::vector<Endpoint>& locals, size_t askedWith, int64_t now) {
  uint64_t id = nextMatch++;
  Match& match = matches_[id];
  match.lastUsed = now;
  match.sides[0].client = waiter.client;
  match.sides[0].locals = waiter.locals;
  match.sides[1].client = newcomer;
  match.sides[1].locals = locals;
  for (int s = 0; s < 2; ++s) {
    Side& side = match.sides[s];
    do random(side.token.data(), side.token.size());
    while (tokens.count(side.token));
    side.relayAt = side.client.at;
    side.packets = bounds.relayPacketsPerSecond;
    side.bytes = bounds.relayBytesPerSecond;
    side.refilled = now;
    tokens[side.token] = SideRef{id, s};
    relayed[side.relayAt] = SideRef{id, s};
    introductions[side.client] = id;
  }
  ++counts_.matchesMade;
  // The waiter asked long ago and is known: it is told at once, and again when it asks.
  std::vector<uint8_t> told = encode(meeting(match, 0));
  send(waiter.client.at, told.data(), told.size());
  answer(newcomer.at, meeting(match, 1), askedWith);
}

void LobbyServer::leave(const Endpoint& from, const LobbyMessage& m) {
  Client client{from, m.nonce};
  if (hostCodes.count(client) || queued_.count(client)) {
    dropWaiting(client);
    log("a player stopped waiting (" + std::to_string(hosts.size()) + " hosts, " +
        std::to_string(queue.size()) + " quick waiting)");
  }
}

void LobbyServer::dropWaiting(const Client& client) {
  bool held = false;
  auto code = hostCodes.find(client);
  if (code != hostCodes.end()) {
    hosts.erase(code->second);
    hostCodes.erase(code);
    held = true;
  }
  auto place = queued_.find(client);
  if (place != queued_.end()) {
    queue.erase(place->second);
    queued_.erase(place);
    held = true;
  }
  if (held && --perAddress[client.at.ip] == 0) perAddress.erase(client.at.ip);
}

void LobbyServer::bindRelay(const Endpoint& from, const LobbyMessage& m, int64_t now) {
  auto found = tokens.find(m.token);
  if (found == tokens.end()) {
    ++counts_.dropped;
    return;
  }
  Match& match = matches_.at(found->second.match);
  Side& side = match.sides[found->second.side];
  if (side.relayAt != from) {
    // Its router gave it another port (or it moved): the token proves it is the same side.
    auto old = relayed.find(side.relayAt);
    if (old != relayed.end() && old->second.match == found->second.match &&
        old->second.side == found->second.side)
      relayed.erase(old);
    side.relayAt = from;
    relayed[from] = found->second;
  }
  match.lastUsed = now;
}

void LobbyServer::relay(const Endpoint& from, const uint8_t* data, size_t size, int64_t now) {
  auto found = relayed.find(from);
  if (found == relayed.end()) {
    ++counts_.dropped;
    return;
  }
  Match& match = matches_.at(found->second.match);
  Side& side = match.sides[found->second.side];
  double seconds = (now - side.refilled) / MsPerSecond;
  side.refilled = now;
  side.packets =
      std::min(bounds.relayPacketsPerSecond, side.packets + seconds * bounds.relayPacketsPerSecond);
  side.bytes =
      std::min(bounds.relayBytesPerSecond, side.bytes + seconds * bounds.relayBytesPerSecond);
  if (side.packets < 1 || side.bytes < size) {
    ++counts_.overRate;
    return;
  }
  side.packets -= 1;
  side.bytes -= size;
  match.lastUsed = now;
  if (!match.relayed) {
    match.relayed = true;
    log("relaying a match");
  }
  ++counts_.relayedPackets;
  counts_.relayedBytes += size;
  send(match.sides[1 - found->second.side].relayAt, data, size);
}

void LobbyServer::forget(uint64_t id) {
  Match& match = matches_.at(id);
  for (const Side& side : match.sides) {
    tokens.erase(side.token);
    auto at = relayed.find(side.relayAt);
    if (at != relayed.end() && at->second.match == id) relayed.erase(at);
    auto told = introductions.find(side.client);
    if (told != introductions.end() && told->second == id) introductions.erase(told);
  }
  matches_.erase(id);
}

void LobbyServer::tick(int64_t now) {
  std::vector<Client> gone;
  for (const auto& [code, w] : hosts)
    if (now - w.since >= bounds.codeLapseMs || now - w.heard >= bounds.hostSilenceMs)
      gone.push_back(w.client);
  for (const Waiting& w : queue)
    if (now - w.heard >= bounds.queueSilenceMs) gone.push_back(w.client);
  for (const Client& c : gone) dropWaiting(c);
  if (!gone.empty())
    log(std::to_string(gone.size()) + " waiting players lapsed or fell silent (" +
        std::to_string(hosts.size()) + " hosts, " + std::to_string(queue.size()) +
        " quick waiting)");
  std::vector<uint64_t> idle;
  for (const auto& [id, match] : matches_)
    if (now - match.lastUsed >= bounds.matchIdleMs) idle.push_back(id);
  for (uint64_t id : idle) forget(id);
  if (!idle.empty())
    log(std::to_string(idle.size()) + " matches ended (" + std::to_string(matches_.size()) +
        " left)");
  tickShows(now);
  for (auto g = guesses.begin(); g != guesses.end();)
    if (now - g->second.windowStart >= bounds.wrongCodeWindowMs && g->second.bannedUntil <= now)
      g = guesses.erase(g);
    else
      ++g;
}

// ---- shows: games made by a code, passed on to their watchers

size_t LobbyServer::watchers() const {
  size_t all = 0;
  for (const auto& [code, show] : shows_) all += show.watchers;
  return all;
}

bool LobbyServer::reopened(const Client& client, size_t askedWith) {
  auto found = streams.find(client.at);
  if (found == streams.end() || !(found->second.client == client)) return false;
  LobbyMessage m;
  m.type = LobbyType::Opened;
  m.nonce = client.nonce;
  m.token = found->second.link->token();
  answer(client.at, m, askedWith);
  return true;
}

// One stream an address: a program that asks anew from where a live one is waits until the
// old one falls silent.
bool LobbyServer::streamRoom(const Client& client, size_t askedWith) {
  auto found = streams.find(client.at);
  if (found == streams.end()) return true;
  if (found->second.link->gone() || !found->second.proven) {
    dropStream(client.at);
    if (!streams.count(client.at)) return true;
  }
  refuse(client.at, client.nonce, Refusal::TooManyFromAddress, askedWith);
  return false;
}

LobbyServer::StreamEnd& LobbyServer::openStream(const Client& client, const std::string& show,
                                                bool host, int64_t now) {
  RelayToken token{};
  random(token.data(), token.size());
  Endpoint to = client.at;
  auto sendPart = [this, to](const std::vector<uint8_t>& datagram) {
    send(to, datagram.data(), datagram.size());
  };
  StreamEnd& end = streams[client.at];
  end.client = client;
  end.link = std::make_unique<StreamLink>(token, sendPart, now);
  end.show = show;
  end.host = host;
  end.openedAt = now;
  return end;
}

void LobbyServer::show(const Endpoint& from, const LobbyMessage& m, size_t size, int64_t now) {
  Client client{from, m.nonce};
  if (reopened(client, size)) return;
  auto side = tokens.find(m.token);
  if (side == tokens.end()) {
    ++counts_.dropped;
    return;
  }
  if (!streamRoom(client, size)) return;
  const Match& match = matches_.at(side->second.match);
  if (side->second.side != 0 || match.code.empty() || shows_.count(match.code)) {
    refuse(from, m.nonce, Refusal::NotShown, size);
    return;
  }
  if (!taking || shows_.size() >= bounds.shows) {
    refuse(from, m.nonce, taking ? Refusal::Full : Refusal::Closing, size);
    return;
  }
  StreamEnd& end = openStream(client, match.code, true, now);
  Show& shown = shows_[match.code];
  shown.stamp = match.stamp;
  shown.host = from;
  shown.relay = std::make_unique<FeedRelay>(*end.link, bounds.watchersPerShow, bounds.showTicks);
  ++counts_.showsOpened;
  log("a game is shown (" + std::to_string(shows_.size()) + " shows)");
  reopened(client, size);
}

void LobbyServer::watch(const Endpoint& from, const LobbyMessage& m, size_t size, int64_t now) {
  Client client{from, m.nonce};
  if (reopened(client, size)) return;
  if (guessedTooOften(from.ip, now)) {
    refuse(from, m.nonce, Refusal::TooManyWrongCodes, size);
    return;
  }
  if (!streamRoom(client, size)) return;
  auto found = shows_.find(m.code);
  if (found == shows_.end()) {
    wrongCode(from, m.nonce, size, now);
    return;
  }
  Show& shown = found->second;
  if (shown.stamp != m.stamp) {
    refuse(from, m.nonce, Refusal::OtherVersion, size, shown.stamp);
    return;
  }
  if (!taking || shown.watchers >= bounds.watchersPerShow || shown.relay->hostGone() ||
      from == shown.host) {
    refuse(from, m.nonce,
           !taking                                    ? Refusal::Closing
           : shown.watchers >= bounds.watchersPerShow ? Refusal::WatchersFull
                                                      : Refusal::NotShown,
           size);
    return;
  }
  openStream(client, m.code, false, now);
  ++shown.watchers;
  reopened(client, size);
}

void LobbyServer::stream(const Endpoint& from, const LobbyMessage& m, int64_t now) {
  auto found = streams.find(from);
  if (found == streams.end() || found->second.link->token() != m.token) {
    ++counts_.dropped;
    return;
  }
  StreamEnd& end = found->second;
  auto shown = shows_.find(end.show);
  if (shown == shows_.end()) {
    ++counts_.dropped;  // its show just ended: the stream goes at the next tick
    return;
  }
  if (!end.proven) {
    // It has the token, so it heard the answer where it asked: it may be sent more now.
    end.proven = true;
    if (!end.host) {
      ++counts_.watchersTaken;
      shown->second.relay->feed.add(*end.link, now);
    }
  }
  end.link->take(m.part, now);
}

void LobbyServer::dropStream(const Endpoint& at) {
  auto found = streams.find(at);
  if (found == streams.end()) return;
  StreamEnd& end = found->second;
  auto shown = shows_.find(end.show);
  if (shown != shows_.end()) {
    if (end.host) {
      // Its relay holds the link: the show goes first.
      shows_.erase(shown);
    } else if (shown->second.relay->feed.serves(*end.link)) {
      // Still a place in its show's feed: it waits until the feed lets go.
      end.link->close();
      return;
    } else {
      --shown->second.watchers;
    }
  }
  streams.erase(found);
}

void LobbyServer::tickShows(int64_t now) {
  // The streams' and feeds' own times are tens of milliseconds and more: a busy loop need
  // not walk every stream each time round.
  if (now - showsTickedAt < ShowTickMs) return;
  showsTickedAt = now;
  for (auto& [at, end] : streams)
    if (end.proven) end.link->service(now);
  std::vector<std::string> over;
  for (auto& [code, shown] : shows_) {
    shown.relay->poll(now);
    if (shown.relay->done()) over.push_back(code);
  }
  for (const std::string& code : over) {
    shows_.erase(code);
    log("a show ended (" + std::to_string(shows_.size()) + " shows)");
  }
  std::vector<Endpoint> gone;
  for (auto& [at, end] : streams) {
    auto shown = shows_.find(end.show);
    bool unproven = !end.proven && now - end.openedAt >= bounds.unprovenStreamMs;
    if (shown == shows_.end() || unproven ||
        (!end.host && end.link->gone() && !shown->second.relay->feed.serves(*end.link)))
      gone.push_back(at);
  }
  for (const Endpoint& at : gone) dropStream(at);
}

void LobbyServer::stopTaking() {
  taking = false;
}
