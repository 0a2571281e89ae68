// Meetings arranged by a real Pigmora server on the loopback address, over the game's real
// ENet sockets: by code the two find their direct way, by quick match without direct ways
// they go through the relay, and each failure is its own sentence for the player.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "FreePort.h"
#include "ServerLoop.h"
#include "ServerMeeting.h"
#include "SteadyClock.h"

namespace {
using State = ServerMeeting::State;
using Way = ServerMeeting::Way;

// A server of its own on a port of the test's, stopped when the test ends.
struct Server {
  std::atomic<bool> stop{false};
  uint16_t port;
  std::thread loop;
  explicit Server(uint16_t port) : port(port) {
    ServerOptions options;
    options.address = "127.0.0.1";
    options.port = port;
    loop = std::thread([this, options] { serve(options, stop); });
  }
  ~Server() {
    stop = true;
    loop.join();
  }
  std::string at() const { return "127.0.0.1:" + std::to_string(port); }
};

bool until(std::initializer_list<ServerMeeting*> sides, const std::function<bool()>& done,
           int64_t limitMs = 10000) {
  int64_t end = steadyNowMs() + limitMs;
  while (steadyNowMs() < end) {
    for (ServerMeeting* side : sides) side->service(steadyNowMs());
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return false;
}

// Both connected, with `host` the side that listened, and packets go both ways.
void carries(ServerMeeting& host, ServerMeeting& guest) {
  ASSERT_TRUE(
      until({&host, &guest},
            [&] { return host.state() == State::Connected && guest.state() == State::Connected; }))
      << host.problem() << " / " << guest.problem();
  EXPECT_TRUE(host.listens());
  EXPECT_FALSE(guest.listens());
  EXPECT_EQ(host.path(), guest.path());
  const uint8_t ping[] = {7, 7}, pong[] = {9};
  host.send(Channel::Reliable, ping, sizeof ping);
  guest.send(Channel::Reliable, pong, sizeof pong);
  std::vector<uint8_t> atHost, atGuest;
  ASSERT_TRUE(until({&host, &guest}, [&] { return !atHost.empty() || host.receive(atHost); }));
  ASSERT_TRUE(until({&host, &guest}, [&] { return !atGuest.empty() || guest.receive(atGuest); }));
  EXPECT_EQ(atHost, std::vector<uint8_t>(pong, pong + 1));
  EXPECT_EQ(atGuest, std::vector<uint8_t>(ping, ping + 2));
}
}  // namespace

TEST(ServerMeeting, ByCodeTwoPlayersFindTheirDirectWay) {
  Server server(freePort());
  ServerMeeting host("1.1"), guest("1.1");
  host.start(server.at(), Way::Host, "", steadyNowMs(), freePort());
  ASSERT_TRUE(until({&host}, [&] { return !host.code().empty(); })) << host.problem();
  EXPECT_EQ(host.state(), State::Waiting);
  std::string typed = host.code();
  typed.erase(3, 1);
  for (char& c : typed) c = static_cast<char>(std::tolower(c));
  guest.start(server.at(), Way::Join, typed, steadyNowMs());
  carries(host, guest);
  EXPECT_EQ(host.path(), ServerMeeting::Path::Direct);
}

TEST(ServerMeeting, AQuickMatchWithoutDirectWaysPlaysThroughTheRelay) {
  Server server(freePort());
  ServerMeeting first("1.1", false), second("1.1", false);
  first.start(server.at(), Way::Quick, "", steadyNowMs());
  ASSERT_TRUE(until({&first}, [&] { return first.state() == State::Waiting; })) << first.problem();
  second.start(server.at(), Way::Quick, "", steadyNowMs());
  carries(first, second);
  EXPECT_EQ(first.path(), ServerMeeting::Path::Relayed);
}

TEST(ServerMeeting, EachFailureSaysWhatWentWrong) {
  Server server(freePort());
  ServerMeeting newer("1.2");
  newer.start(server.at(), Way::Host, "", steadyNowMs());
  ASSERT_TRUE(until({&newer}, [&] { return !newer.code().empty(); }));
  ServerMeeting older("1.1"), guesser("1.1"), nobody("1.1");
  older.start(server.at(), Way::Join, newer.code(), steadyNowMs());
  std::string wrong = newer.code() == "222-222" ? "333-333" : "222-222";
  guesser.start(server.at(), Way::Join, wrong, steadyNowMs());
  int64_t asked = steadyNowMs();
  std::string silent = "127.0.0.1:" + std::to_string(freePort());
  nobody.start(silent, Way::Quick, "", asked);
  ASSERT_TRUE(until({&newer, &older, &guesser, &nobody}, [&] {
    return older.state() == State::Failed && guesser.state() == State::Failed &&
           nobody.state() == State::Failed;
  }));
  EXPECT_EQ(older.problem(), "The other player has Pigmora 1.2; you have 1.1");
  EXPECT_EQ(guesser.problem(), "No game waits with the code " + wrong +
                                   ": a code works once and lapses after 10 minutes");
  EXPECT_EQ(nobody.problem(), "The Pigmora server at " + silent + " does not answer");
  EXPECT_LE(steadyNowMs() - asked, ServerMeeting::AnswerLimitMs + 500);
  EXPECT_EQ(newer.state(), State::Waiting) << "the host waits on for the right player";
}
