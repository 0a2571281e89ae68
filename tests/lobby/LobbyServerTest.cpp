#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <random>
#include <set>

#include "InviteCode.h"
#include "LobbyServer.h"
#include "VersionStamp.h"

namespace {
const uint32_t Ours = versionStamp("1.1");
const uint32_t Newer = versionStamp("1.2");
const Endpoint Alice{0xC6336401, 5000}, Bob{0xCB007102, 6000}, Carol{0xCB007103, 7000};
constexpr int64_t Minute = 60 * 1000;

// A server with its datagrams caught, per address, and a repeatable source of bytes.
struct Lobby {
  std::map<uint64_t, std::deque<std::vector<uint8_t>>> sent;
  std::vector<std::string> lines;
  std::mt19937 bytes{7};
  ServerBounds bounds;
  LobbyServer server;
  int64_t now = 1000;

  explicit Lobby(ServerBounds b = ServerBounds())
      : bounds(b),
        server(
            b,
            [this](const Endpoint& to, const uint8_t* d, size_t n) {
              sent[key(to)].emplace_back(d, d + n);
            },
            [this](const std::string& line) { lines.push_back(line); },
            [this](uint8_t* out, size_t n) {
              for (size_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(bytes());
            }) {}
  static uint64_t key(const Endpoint& e) { return uint64_t(e.ip) << 16 | e.port; }

  void ask(const Endpoint& from, LobbyMessage m) {
    std::vector<uint8_t> d = encode(m);
    server.receive(from, d.data(), d.size(), now);
  }
  void raw(const Endpoint& from, const std::vector<uint8_t>& d) {
    server.receive(from, d.data(), d.size(), now);
  }
  // The last message sent to `to`, all before it dropped; Type 0 when none came.
  LobbyMessage heard(const Endpoint& to) {
    LobbyMessage m;
    m.type = static_cast<LobbyType>(0);
    auto& q = sent[key(to)];
    if (!q.empty()) {
      EXPECT_EQ(decode(q.back().data(), q.back().size(), m), Decoded::Ok);
    }
    q.clear();
    return m;
  }
  LobbyMessage host(const Endpoint& from, uint32_t stamp = Ours, uint64_t nonce = 1) {
    LobbyMessage m;
    m.type = LobbyType::Host, m.nonce = nonce, m.stamp = stamp,
    m.locals = {Endpoint{0xC6120001, 9}};
    ask(from, m);
    return heard(from);
  }
  LobbyMessage join(const Endpoint& from, const std::string& code, uint32_t stamp = Ours,
                    uint64_t nonce = 2) {
    LobbyMessage m;
    m.type = LobbyType::Join, m.nonce = nonce, m.stamp = stamp;
    EXPECT_TRUE(readCode(code, m.code)) << code;
    ask(from, m);
    return heard(from);
  }
  LobbyMessage quick(const Endpoint& from, uint32_t stamp = Ours, uint64_t nonce = 3) {
    LobbyMessage m;
    m.type = LobbyType::Quick, m.nonce = nonce, m.stamp = stamp;
    ask(from, m);
    return heard(from);
  }
};
}  // namespace

TEST(InviteCode, IsSixSymbolsWithoutLookAlikesReadInEitherCaseWithOrWithoutTheDash) {
  std::mt19937 bytes(3);
  std::set<char> seen;
  for (int i = 0; i < 500; ++i) {
    std::string code = newCode([&](uint8_t* out, size_t n) {
      for (size_t j = 0; j < n; ++j) out[j] = static_cast<uint8_t>(bytes());
    });
    ASSERT_EQ(code.size(), CodeLength);
    seen.insert(code.begin(), code.end());
  }
  EXPECT_EQ(seen.size(), CodeSymbols);
  for (char lookAlike : std::string("0O1IL")) EXPECT_FALSE(seen.count(lookAlike));
  std::string code;
  for (const char* typed : {"K7M-X2Q", "k7mx2q", "K7mX2q"}) {
    ASSERT_TRUE(readCode(typed, code)) << typed;
    EXPECT_EQ(shownCode(code), "K7M-X2Q");
  }
  for (const char* wrong : {"K7M-X2O", "K7MX2", "K7-MX2Q", "K7M--X2Q", "K7MX2QA", "", "K7M X2Q"})
    EXPECT_FALSE(readCode(wrong, code)) << wrong;
}

TEST(LobbyServer, ACodeIntroducesTwoPlayersOnceWithTokensOfTheirOwn) {
  Lobby lobby;
  LobbyMessage code = lobby.host(Alice);
  ASSERT_EQ(code.type, LobbyType::Code);
  EXPECT_EQ(lobby.host(Alice).code, code.code) << "asking again keeps the code";
  std::string lower = shownCode(code.code);
  for (char& c : lower) c = static_cast<char>(std::tolower(c));
  LobbyMessage bob = lobby.join(Bob, lower);
  ASSERT_EQ(bob.type, LobbyType::Meet);
  EXPECT_FALSE(bob.listen);
  EXPECT_EQ(bob.other, Alice);
  ASSERT_EQ(bob.locals.size(), 1u);
  LobbyMessage alice = lobby.heard(Alice);
  ASSERT_EQ(alice.type, LobbyType::Meet) << "the host is told at once";
  EXPECT_TRUE(alice.listen);
  EXPECT_EQ(alice.other, Bob);
  EXPECT_NE(alice.token, bob.token);
  EXPECT_EQ(lobby.join(Bob, code.code).token, bob.token) << "a repeated question, the same answer";
  LobbyMessage carol = lobby.join(Carol, code.code);
  EXPECT_EQ(carol.type, LobbyType::Refused);
  EXPECT_EQ(carol.refusal, Refusal::UnknownCode) << "a code works once";
}

TEST(LobbyServer, AnotherVersionIsToldTheHostsAndTheCodeStaysForTheRightOne) {
  Lobby lobby;
  std::string code = lobby.host(Alice, Newer).code;
  LobbyMessage bob = lobby.join(Bob, code);
  EXPECT_EQ(bob.refusal, Refusal::OtherVersion);
  EXPECT_EQ(stampVersion(bob.stamp), "1.2");
  EXPECT_EQ(lobby.join(Carol, code, Newer).type, LobbyType::Meet);
}

TEST(LobbyServer, ACodeLapsesAfterTenMinutesAndASilentHostSooner) {
  Lobby lobby;
  std::string code = lobby.host(Alice).code;
  for (int i = 0; i < 10; ++i) {
    lobby.now += Minute - 1;
    lobby.server.tick(lobby.now);
    lobby.host(Alice);  // still waiting, and saying so
  }
  EXPECT_EQ(lobby.join(Bob, code).refusal, Refusal::UnknownCode);
  std::string second = lobby.host(Carol).code;
  lobby.now += lobby.bounds.hostSilenceMs;
  lobby.server.tick(lobby.now);
  EXPECT_EQ(lobby.join(Bob, second, Ours, 5).refusal, Refusal::UnknownCode);
  EXPECT_EQ(lobby.server.waitingHosts(), 0u);
}

TEST(LobbyServer, TooManyWrongCodesAMinuteShutTheAddressOutForAMinute) {
  Lobby lobby;
  std::string code = lobby.host(Alice).code;
  std::string wrong = code == "222222" ? "333333" : "222222";
  for (int i = 0; i < lobby.bounds.wrongCodesPerMinute; ++i)
    EXPECT_EQ(lobby.join(Bob, wrong, Ours, 100 + i).refusal, Refusal::UnknownCode);
  EXPECT_EQ(lobby.join(Bob, wrong, Ours, 200).refusal, Refusal::UnknownCode);
  EXPECT_EQ(lobby.join(Bob, code, Ours, 201).refusal, Refusal::TooManyWrongCodes);
  EXPECT_EQ(lobby.join(Endpoint{Bob.ip, 6001}, code, Ours, 202).refusal, Refusal::TooManyWrongCodes)
      << "another port of the same address is the same guesser";
  lobby.now += lobby.bounds.wrongCodeBanMs;
  lobby.host(Alice);
  lobby.server.tick(lobby.now);
  EXPECT_EQ(lobby.join(Bob, code, Ours, 203).type, LobbyType::Meet);
}

TEST(LobbyServer, AQuickMatchPairsWhoeverWaitedLongestWithTheSameVersion) {
  Lobby lobby;
  EXPECT_EQ(lobby.quick(Alice, Newer).type, LobbyType::Queued);
  lobby.now += 500;
  EXPECT_EQ(lobby.quick(Bob).type, LobbyType::Queued);
  lobby.now += 700;
  LobbyMessage waited = lobby.quick(Bob);
  EXPECT_EQ(waited.ms, 700u);
  LobbyMessage carol = lobby.quick(Carol);
  ASSERT_EQ(carol.type, LobbyType::Meet);
  EXPECT_EQ(carol.other, Bob);
  EXPECT_TRUE(lobby.heard(Bob).listen);
  EXPECT_EQ(lobby.server.queued(), 1u) << "the other version still waits";
  LobbyMessage leave;
  leave.type = LobbyType::Leave, leave.nonce = 3;
  lobby.ask(Alice, leave);
  EXPECT_EQ(lobby.server.queued(), 0u);
}

TEST(LobbyServer, TheRelayForwardsOnlyBetweenTheIntroducedAndWithinItsRate) {
  Lobby lobby;
  lobby.host(Alice);
  std::string code = lobby.host(Alice).code;
  LobbyMessage bob = lobby.join(Bob, code);
  lobby.heard(Alice);
  std::vector<uint8_t> game = {0x80, 0x01, 0x02};
  lobby.raw(Bob, game);
  EXPECT_EQ(lobby.sent[Lobby::key(Alice)].size(), 1u);
  lobby.raw(Carol, game);
  EXPECT_EQ(lobby.sent[Lobby::key(Bob)].size(), 0u) << "a stranger's datagram goes nowhere";
  // Bob's router gives him another port: until he proves his token, he is a stranger.
  Endpoint moved{Bob.ip, 6100};
  lobby.raw(moved, game);
  EXPECT_EQ(lobby.sent[Lobby::key(Alice)].size(), 1u);
  LobbyMessage proof;
  proof.type = LobbyType::Relay;
  proof.token = bob.token;
  proof.token[0] ^= 1;
  lobby.ask(moved, proof);
  lobby.raw(moved, game);
  EXPECT_EQ(lobby.sent[Lobby::key(Alice)].size(), 1u) << "a token one bit off proves nothing";
  proof.token = bob.token;
  lobby.ask(moved, proof);
  lobby.raw(moved, game);
  lobby.raw(Alice, game);
  EXPECT_EQ(lobby.sent[Lobby::key(Alice)].size(), 2u);
  EXPECT_EQ(lobby.sent[Lobby::key(moved)].size(), 1u) << "answers go to where he is now";
  // A burst past a second's worth is cut at the rate.
  lobby.sent.clear();
  for (int i = 0; i < 3 * lobby.bounds.relayPacketsPerSecond; ++i) lobby.raw(moved, game);
  EXPECT_EQ(lobby.sent[Lobby::key(Alice)].size(), size_t(lobby.bounds.relayPacketsPerSecond) - 2)
      << "two of this second's went before";
  EXPECT_GT(lobby.server.counts().overRate, 0u);
  lobby.now += lobby.bounds.matchIdleMs;
  lobby.server.tick(lobby.now);
  EXPECT_EQ(lobby.server.matches(), 0u);
}

TEST(LobbyServer, NoStrangerGetsMoreThanItSentAndGarbageIsCountedAndDropped) {
  Lobby lobby;
  std::vector<uint8_t> request = encode([] {
    LobbyMessage m;
    m.type = LobbyType::Host, m.stamp = Ours;
    return m;
  }());
  std::mt19937 bytes(11);
  uint64_t answers = 0;
  for (int i = 0; i < 2000; ++i) {
    std::vector<uint8_t> d = request;
    d.resize(bytes() % (RequestBytes + 8));
    for (int flips = bytes() % 4; flips > 0 && !d.empty(); --flips) d[bytes() % d.size()] = bytes();
    Endpoint from{0xC6336400 + static_cast<uint32_t>(i), 1};
    lobby.raw(from, d);
    for (const auto& out : lobby.sent[Lobby::key(from)]) {
      ++answers;
      EXPECT_LE(out.size(), d.size());
    }
  }
  EXPECT_GT(answers, 0u);
  EXPECT_GT(lobby.server.counts().dropped, 1000u);
  EXPECT_LE(lobby.server.waitingHosts(), 2000u - lobby.server.counts().dropped);
}

TEST(LobbyServer, EveryBoundTurnsTheNextAwayWithItsReason) {
  ServerBounds small;
  small.waitingHosts = 3, small.queue = 1, small.matches = 1, small.clientsPerAddress = 2;
  Lobby lobby(small);
  EXPECT_EQ(lobby.host(Alice, Ours, 1).type, LobbyType::Code);
  EXPECT_EQ(lobby.host(Alice, Ours, 2).type, LobbyType::Code);
  EXPECT_EQ(lobby.host(Alice, Ours, 3).refusal, Refusal::TooManyFromAddress);
  EXPECT_EQ(lobby.host(Bob, Ours, 4).type, LobbyType::Code);
  EXPECT_EQ(lobby.host(Carol, Ours, 10).refusal, Refusal::Full);
  EXPECT_EQ(lobby.quick(Bob, Ours, 5).type, LobbyType::Queued);
  EXPECT_EQ(lobby.quick(Carol, Newer, 6).refusal, Refusal::Full);
  std::string code = lobby.host(Alice, Ours, 1).code;
  EXPECT_EQ(lobby.join(Carol, code, Ours, 7).type, LobbyType::Meet);
  std::string other = lobby.host(Alice, Ours, 2).code;
  EXPECT_EQ(lobby.join(Carol, other, Ours, 8).refusal, Refusal::Full)
      << "no room for a second match";
  lobby.server.stopTaking();
  EXPECT_EQ(lobby.host(Carol, Ours, 9).refusal, Refusal::Closing);
}
