// Games shown through the server: a host met by its code sends its watchers' feed up once,
// and the server passes it on to watchers of its own, over streams through a network that
// loses, delays and reorders datagrams.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>

#include "LobbyServer.h"
#include "Meeting.h"
#include "StreamClient.h"
#include "VersionStamp.h"
#include "Watching.h"

namespace {
const uint32_t Ours = versionStamp("1.1");
constexpr int64_t TickEveryMs = 10;  // the server's clock work, as its loop does it

// The server and whatever talks to it, with every datagram in flight for `latency` give or
// take `jitter` ms, `loss` percent of them lost.
struct Internet {
  struct Datagram {
    Endpoint from, to;
    std::vector<uint8_t> bytes;
  };
  int latency = 20, jitter = 10, loss = 3;
  std::mt19937 random{5};
  int64_t now = 0;
  std::multimap<int64_t, Datagram> flying;
  std::map<uint64_t, StreamClient*> clients;
  std::map<uint64_t, std::vector<std::vector<uint8_t>>> unclaimed;  // for no client
  std::map<uint64_t, uint64_t> toServer, fromServer;                // bytes, by address
  LobbyServer server{ServerBounds(),
                     [this](const Endpoint& to, const uint8_t* d, size_t n) {
                       fromServer[key(to)] += n;
                       fly(Endpoint{}, to, std::vector<uint8_t>(d, d + n));
                     },
                     [](const std::string&) {},
                     [this](uint8_t* out, size_t n) {
                       for (size_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(random());
                     }};

  static uint64_t key(const Endpoint& e) { return uint64_t(e.ip) << 16 | e.port; }
  void fly(const Endpoint& from, const Endpoint& to, std::vector<uint8_t> bytes) {
    if (static_cast<int>(random() % 100) < loss) return;
    int64_t arrival = now + latency + static_cast<int>(random() % (2 * jitter + 1)) - jitter;
    flying.emplace(arrival, Datagram{from, to, std::move(bytes)});
  }
  void toTheServer(const Endpoint& from, const std::vector<uint8_t>& bytes) {
    toServer[key(from)] += bytes.size();
    fly(from, Endpoint{}, bytes);
  }
  std::unique_ptr<StreamClient> client(const Endpoint& at, const LobbyMessage& question) {
    auto made = std::make_unique<StreamClient>(
        question, [this, at](const std::vector<uint8_t>& d) { toTheServer(at, d); });
    clients[key(at)] = made.get();
    made->start(now);
    return made;
  }
  void step(int64_t time) {
    now = time;
    while (!flying.empty() && flying.begin()->first <= now) {
      Datagram d = std::move(flying.begin()->second);
      flying.erase(flying.begin());
      if (d.to == Endpoint{}) {
        server.receive(d.from, d.bytes.data(), d.bytes.size(), now);
      } else if (clients.count(key(d.to))) {
        clients[key(d.to)]->take(d.bytes.data(), d.bytes.size(), now);
      } else {
        unclaimed[key(d.to)].push_back(std::move(d.bytes));
      }
    }
    if (now % TickEveryMs == 0) server.tick(now);
    for (auto& [at, client] : clients) client->service(now);
  }
  // Says `m` to the server at once, from an address with no stream of its own.
  void shout(const Endpoint& from, const LobbyMessage& m) {
    std::vector<uint8_t> bytes = encode(m);
    toServer[key(from)] += bytes.size();
    server.receive(from, bytes.data(), bytes.size(), now);
  }
  // Asks and waits for everything on its way to land (before any game runs): the answer.
  LobbyMessage ask(const Endpoint& from, const LobbyMessage& m) {
    shout(from, m);
    return lastHeard(from);
  }
  LobbyMessage lastHeard(const Endpoint& at) {
    LobbyMessage m;
    while (!flying.empty()) step(now + 1);  // everything on its way lands
    auto& heard = unclaimed[key(at)];
    if (!heard.empty()) decode(heard.back().data(), heard.back().size(), m);
    heard.clear();
    return m;
  }
};

Endpoint at(uint32_t n) {
  return Endpoint{0xCB007100 + n, static_cast<uint16_t>(4000 + n)};
}

// A question of our version; the code and token where it takes them.
LobbyMessage asking(LobbyType type, uint64_t nonce, const std::string& code = "",
                    const RelayToken& token = {}) {
  LobbyMessage m;
  m.type = type, m.nonce = nonce, m.stamp = Ours, m.code = code, m.token = token;
  return m;
}

struct Seat {
  std::unique_ptr<StreamClient> stream;
  std::unique_ptr<Watcher> watcher;
  std::vector<uint64_t> digests;
  std::string replay;
  bool closed = false;
};

// Two computers play a match made by a code at the server; the host shows it there.
struct Show {
  Internet net;
  Meeting meeting{{15, 3, 1, 0, 1, 9}};
  WatchFeed feed;
  std::string code;
  std::unique_ptr<StreamClient> upload;
  std::vector<uint64_t> agreed;
  std::vector<std::unique_ptr<Seat>> seats;
  const Endpoint hostAt = at(1), guestAt = at(2), uploadAt = at(3);

  Show() {
    net.loss = 0;
    meeting.matches[0]->feed = &feed;
    meeting.matches[0]->eachAgreed = [this](uint32_t, const Game& game) {
      agreed.push_back(game.digest());
    };
    code = net.ask(hostAt, asking(LobbyType::Host, 1)).code;
    net.ask(guestAt, asking(LobbyType::Join, 2, code));
    LobbyMessage met = net.lastHeard(hostAt);
    EXPECT_EQ(met.type, LobbyType::Meet);
    upload = net.client(uploadAt, asking(LobbyType::Show, 3, "", met.token));
    feed.add(*upload, net.now);
    meeting.now = net.now;
    net.loss = 3;
  }
  Seat& watch(uint32_t n) {
    seats.push_back(std::make_unique<Seat>());
    Seat& seat = *seats.back();
    seat.stream = net.client(at(100 + n), asking(LobbyType::Watch, 100 + n, code));
    seat.watcher = std::make_unique<Watcher>(*seat.stream, "9.9");
    seat.watcher->eachTick = [&seat](uint32_t, const Game& game) {
      seat.digests.push_back(game.digest());
    };
    return seat;
  }
  bool runUntil(const std::function<bool()>& done, int64_t limitMs = Meeting::MatchLimitMs) {
    return meeting.runUntil(done, limitMs, [this] {
      net.step(meeting.now);
      feed.poll(meeting.now);
      for (auto& seat : seats) {
        seat->watcher->poll(meeting.now);
        for (WatchEvent event; seat->watcher->nextEvent(event);) {
          if (event.type == WatchEvent::Type::Ended) seat->replay = seat->watcher->replay().text();
          if (event.type == WatchEvent::Type::Closed) seat->closed = true;
        }
      }
    });
  }
};

}  // namespace

TEST(Show, AHundredWatchersThroughTheServerFollowEveryAgreedTickWhileTheHostSendsItOnce) {
  Show show;
  size_t most = ServerBounds().watchersPerShow;
  ASSERT_TRUE(show.runUntil([&] { return show.net.server.shows() == 1; }, 1000));
  for (uint32_t n = 0; n < most / 2; ++n) show.watch(n);
  ASSERT_TRUE(show.runUntil([&] { return show.meeting.matches[0]->tick() >= 900; }));
  // The other half comes late and catches up; one more is one too many.
  for (uint32_t n = most / 2; n < most; ++n) show.watch(n);
  ASSERT_TRUE(show.runUntil([&] { return show.net.server.watchers() == most; }, 1000));
  Seat& tooMany = show.watch(static_cast<uint32_t>(most));
  auto everyWatcher = [&](const std::function<bool(const Seat&)>& each) {
    for (size_t n = 0; n < most; ++n)
      if (!each(*show.seats[n])) return false;
    return true;
  };
  ASSERT_TRUE(show.runUntil([&] { return show.meeting.matches[0]->tick() >= 1800; }));
  EXPECT_EQ(tooMany.stream->state(), StreamClient::State::Refused);
  EXPECT_EQ(tooMany.stream->refusal(), Refusal::WatchersFull);
  EXPECT_EQ(show.net.server.watchers(), most);
  show.meeting.matches[1]->leave();
  ASSERT_TRUE(show.runUntil([&] { return show.meeting.bothFinished(); }));
  show.feed.close();
  ASSERT_TRUE(show.runUntil(
      [&] {
        return everyWatcher([](const Seat& seat) { return seat.closed; }) &&
               show.net.server.shows() == 0;
      },
      60000));
  std::string hostReplay = show.meeting.matches[0]->replay().text();
  for (size_t n = 0; n < most; ++n) {
    SCOPED_TRACE("watcher " + std::to_string(n));
    EXPECT_TRUE(show.seats[n]->digests == show.agreed)
        << show.seats[n]->digests.size() << " ticks stepped, " << show.agreed.size() << " agreed";
    EXPECT_EQ(show.seats[n]->replay, hostReplay);
  }
  // The host's upload is one watcher's worth, not a hundred's.
  uint64_t up = show.net.toServer[Internet::key(show.uploadAt)];
  uint64_t toOne = show.net.fromServer[Internet::key(at(100))];
  EXPECT_LT(up, 2 * toOne) << "up " << up << " B, to one watcher " << toOne << " B";
  EXPECT_EQ(show.net.server.counts().watchersTaken, most);
  EXPECT_EQ(show.net.server.watchers(), 0u);
}

TEST(Show, OnlyTheHostOfACodesMatchShowsItToItsVersionAndTheUnprovenGetNoMoreThanTheySent) {
  Internet net;
  net.loss = 0;
  net.ask(at(1), asking(LobbyType::Quick, 1));
  ASSERT_EQ(net.ask(at(2), asking(LobbyType::Quick, 2)).type, LobbyType::Meet);
  LobbyMessage show = asking(LobbyType::Show, 3, "", net.lastHeard(at(1)).token);
  EXPECT_EQ(net.ask(at(3), show).refusal, Refusal::NotShown) << "a quick match has no code";

  std::string code = net.ask(at(4), asking(LobbyType::Host, 4)).code;
  show.token = net.ask(at(5), asking(LobbyType::Join, 5, code)).token;
  EXPECT_EQ(net.ask(at(6), show).refusal, Refusal::NotShown) << "the guest is not the host";
  show.token = net.lastHeard(at(4)).token;
  LobbyMessage opened = net.ask(at(7), show);
  ASSERT_EQ(opened.type, LobbyType::Opened);
  EXPECT_EQ(net.ask(at(7), show).token, opened.token) << "asked again, the same stream";

  LobbyMessage watch = asking(LobbyType::Watch, 8, code);
  watch.stamp = versionStamp("1.2");
  LobbyMessage other = net.ask(at(8), watch);
  EXPECT_EQ(other.refusal, Refusal::OtherVersion);
  EXPECT_EQ(other.stamp, Ours);
  watch.stamp = Ours;
  EXPECT_EQ(net.ask(at(8), watch).type, LobbyType::Opened);
  // Codes are guessed no more freely for watching than for joining.
  for (int guess = 0; guess < 11; ++guess) {
    watch.code = "ZZZZZZ";
    net.ask(at(9), watch);
  }
  watch.code = code;
  EXPECT_EQ(net.ask(at(9), watch).refusal, Refusal::TooManyWrongCodes);

  // Forged questions from fifty addresses that never hear the answers.
  for (uint32_t n = 0; n < 50; ++n)
    for (int again = 0; again < 3; ++again)
      net.shout(at(500 + n), asking(LobbyType::Watch, 100 + n, code));
  for (uint32_t n = 0; n < 50; ++n) {
    uint64_t key = Internet::key(at(500 + n));
    EXPECT_LE(net.fromServer[key], net.toServer[key]) << "address " << n;
  }
  EXPECT_EQ(net.server.watchers(), 51u);
  // A host that never proves where it is loses its show; its watcher's first word after
  // that finds no show and is dropped.
  net.now += ServerBounds().unprovenStreamMs / 2;
  watch.nonce = 10;
  LobbyMessage late = net.ask(at(10), watch);
  ASSERT_EQ(late.type, LobbyType::Opened);
  net.now += ServerBounds().unprovenStreamMs / 2 + 1;
  net.server.tick(net.now);
  EXPECT_EQ(net.server.shows(), 0u);

  LobbyMessage part;
  part.type = LobbyType::Stream;
  part.token = late.token;
  uint64_t dropped = net.server.counts().dropped;
  net.shout(at(10), part);
  EXPECT_EQ(net.server.counts().dropped, dropped + 1);
}
