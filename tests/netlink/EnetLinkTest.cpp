// The network game's connection over real ENet sockets on the loopback address: a joiner
// reaches a host and both carry packets; another version is turned away with both versions
// named, and the host waits on; nobody at the port, or a bad address, fails with a reason; a
// stranger's garbage on the port, or a stream of knocks that never finish, changes nothing
// for the next real joiner; a flood from the other player holds a bounded amount.
#include <arpa/inet.h>
#include <enet/enet.h>
#include <gtest/gtest.h>
#include <malloc.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <random>
#include <thread>

#include "EnetLink.h"
#include "FreePort.h"
#include "SteadyClock.h"

namespace {

// Services both ends until `done`, for at most `limitMs`; false when it never came.
bool until(std::initializer_list<EnetLink*> links, const std::function<bool()>& done,
           int64_t limitMs = 8000) {
  int64_t end = steadyNowMs() + limitMs;
  while (steadyNowMs() < end) {
    for (EnetLink* link : links) link->service(steadyNowMs());
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return false;
}

using State = EnetLink::State;
}  // namespace

TEST(EnetLink, AJoinerReachesTheHostAndBothCarryPackets) {
  uint16_t port = freePort();
  EnetLink host("1.2"), joiner("1.2");
  ASSERT_TRUE(host.host(port, true)) << host.problem();
  joiner.join("127.0.0.1:" + std::to_string(port), steadyNowMs());
  ASSERT_TRUE(until({&host, &joiner}, [&] {
    return host.state() == State::Connected && joiner.state() == State::Connected;
  })) << joiner.problem();
  const uint8_t hello[] = {1, 2, 3}, back[] = {9};
  joiner.send(Channel::Reliable, hello, sizeof hello);
  host.send(Channel::Unreliable, back, sizeof back);
  std::vector<uint8_t> atHost, atJoiner;
  EXPECT_TRUE(until({&host, &joiner}, [&] { return !atHost.empty() || host.receive(atHost); }));
  EXPECT_TRUE(
      until({&host, &joiner}, [&] { return !atJoiner.empty() || joiner.receive(atJoiner); }));
  EXPECT_EQ(atHost, std::vector<uint8_t>(hello, hello + 3));
  EXPECT_EQ(atJoiner, std::vector<uint8_t>{9});
  joiner.close();
  EXPECT_TRUE(until({&host}, [&] { return host.state() == State::Failed; }))
      << "a player who leaves is noticed at once, not after a silence";
}

TEST(EnetLink, AnotherVersionIsTurnedAwayNamingBothAndTheHostWaitsOn) {
  uint16_t port = freePort();
  EnetLink host("1.2"), stranger("1.3");
  ASSERT_TRUE(host.host(port, true));
  stranger.join("localhost:" + std::to_string(port), steadyNowMs());
  // A joiner that thinks it is in would start a game that never comes.
  bool strangerStarted = false;
  ASSERT_TRUE(until({&host, &stranger},
                    [&] {
                      strangerStarted = strangerStarted || stranger.state() == State::Connected;
                      return host.refusals() == 1 && stranger.state() == State::Refused;
                    }))
      << "host " << int(host.state()) << ", joiner " << int(stranger.state());
  EXPECT_FALSE(strangerStarted);
  EXPECT_EQ(stranger.problem(), "The other player has Pigmora 1.2; you have 1.3");
  EXPECT_EQ(host.lastRefusal(), "The other player has Pigmora 1.3; you have 1.2");
  EXPECT_EQ(host.state(), State::Listening) << "one stranger must not end the wait";

  EnetLink player("1.2");
  player.join("127.0.0.1:" + std::to_string(port), steadyNowMs());
  EXPECT_TRUE(until({&host, &player}, [&] {
    return host.state() == State::Connected && player.state() == State::Connected;
  }));
}

TEST(EnetLink, NobodyThereOrABadAddressFailsWithItsReason) {
  EnetLink nobody("1.2"), bad("1.2");
  uint16_t port = freePort();
  nobody.join("127.0.0.1:" + std::to_string(port), steadyNowMs());
  bad.join("127.0.0.1:99999", steadyNowMs());
  EXPECT_EQ(bad.state(), State::Failed);
  EXPECT_NE(bad.problem().find("not an address"), std::string::npos);
  ASSERT_TRUE(until(
      {&nobody}, [&] { return nobody.state() == State::Failed; }, EnetLink::ConnectLimitMs + 5000));
  EXPECT_EQ(nobody.problem(), "no game is waiting at 127.0.0.1:" + std::to_string(port));
}

TEST(EnetLink, GarbageAndKnocksThatNeverFinishLeaveTheHostReadyForARealJoiner) {
  uint16_t port = freePort();
  EnetLink host("1.2"), joiner("1.2");
  ASSERT_TRUE(host.host(port, true));
  int s = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  auto send = [&](const void* data, size_t size) {
    sendto(s, data, size, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
  };
  std::mt19937 random(7);
  std::vector<uint8_t> junk;
  for (int i = 0; i < 3000; ++i) {
    junk.resize(random() % 600);
    for (uint8_t& b : junk) b = static_cast<uint8_t>(random());
    // Some of it looks like the start of a real header.
    if (!junk.empty() && i % 3 == 0) junk[0] = 0x80;
    send(junk.data(), junk.size());
    if (i % 100 == 0) host.service(steadyNowMs());
  }
  // Then well-formed ENet connects that nobody follows up, as nobody can whose address is
  // forged: more than the host has room for, then on while the joiner knocks, every 20 ms
  // (ten times as often as the knocks that once kept a player out).
  struct {
    ENetProtocolHeader header;
    ENetProtocolConnect connect;
  } ENET_PACKED knock{};
  knock.header.peerID = ENET_HOST_TO_NET_16(0x8000 | ENET_PROTOCOL_MAXIMUM_PEER_ID);
  knock.connect.header.command =
      ENET_PROTOCOL_COMMAND_CONNECT | ENET_PROTOCOL_COMMAND_FLAG_ACKNOWLEDGE;
  knock.connect.channelCount = ENET_HOST_TO_NET_32(2);
  int64_t knockedAt = 0;
  auto knockWhenDue = [&] {
    if (steadyNowMs() - knockedAt < 20) return false;
    knock.connect.connectID += 1;
    send(&knock, sizeof knock);
    knockedAt = steadyNowMs();
    return knock.connect.connectID >= 40;
  };
  ASSERT_TRUE(until({&host}, knockWhenDue));
  EXPECT_EQ(host.state(), State::Listening);
  joiner.join("127.0.0.1:" + std::to_string(port), steadyNowMs());
  auto bothIn = [&] {
    knockWhenDue();
    return host.state() == State::Connected && joiner.state() == State::Connected;
  };
  EXPECT_TRUE(until({&host, &joiner}, bothIn, 2000))
      << "still out among " << knock.connect.connectID << " half-open knocks";
  close(s);
}

TEST(EnetLink, AFloodFromTheOtherPlayerHoldsABoundedAmount) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "the address sanitizer keeps a heap of its own, which mallinfo2 does not see";
#endif
  // Stalled: behind a reliable packet that never comes, as when one is lost.
  const struct {
    const char* name;
    std::vector<uint8_t> packet;
    bool stalled;
  } floods[] = {
      {"empty packets", {}, true},
      {"the largest packets", std::vector<uint8_t>(EnetLink::LargestPacket), true},
      {"the largest packets, never read", std::vector<uint8_t>(EnetLink::LargestPacket), false}};
  for (const auto& flood : floods) {
    SCOPED_TRACE(flood.name);
    uint16_t port = freePort();
    EnetLink host("1.2");
    ASSERT_TRUE(host.host(port, true));
    // The other player's machine as a hostile one: it connects as ours do, then floods.
    ENetHost* other = enet_host_create(nullptr, 1, 2, 0, 0);
    ENetAddress address{htonl(INADDR_LOOPBACK), port};
    ENetPeer* peer = enet_host_connect(other, &address, 2, versionStamp("1.2"));
    ENetEvent event;
    ASSERT_TRUE(until({&host}, [&] {
      return enet_host_service(other, &event, 0) > 0 && event.type == ENET_EVENT_TYPE_RECEIVE;
    }));
    enet_packet_destroy(event.packet);  // the welcome
    if (flood.stalled) peer->channels[0].outgoingReliableSequenceNumber += 1;
    size_t before = mallinfo2().uordblks, most = before;
    for (int burst = 0; burst < 400; ++burst) {
      for (int i = 0; i < 50; ++i)
        enet_peer_send(peer, 0,
                       enet_packet_create(flood.packet.data(), flood.packet.size(),
                                          ENET_PACKET_FLAG_UNRELIABLE_FRAGMENT));
      enet_host_flush(other);
      host.service(steadyNowMs());
      most = std::max(most, mallinfo2().uordblks);
    }
    EXPECT_LE(most - before, EnetLink::MostHeldBytes);
    enet_host_destroy(other);
  }
}

TEST(EnetLink, StampsCarryTheVersionAndStrangersCarryNone) {
  EXPECT_EQ(stampVersion(versionStamp("1.3")), "1.3");
  EXPECT_EQ(stampVersion(versionStamp("12.0")), "12.0");
  EXPECT_EQ(stampVersion(0), "");
  EXPECT_EQ(stampVersion(0xdeadbeef), "");
}
