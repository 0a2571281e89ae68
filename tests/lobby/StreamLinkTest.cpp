// The stream under a watch feed through the server: two ends joined by datagrams that may be
// lost, doubled or overtaken.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "StreamLink.h"

namespace {

struct Pipe {
  int lossPercent = 0, doublePercent = 0, jitterMs = 0;
  std::mt19937 random{3};
  int64_t now = 0;
  std::multimap<int64_t, std::pair<int, std::vector<uint8_t>>> flying;  // to which end
  bool deaf[2] = {false, false};  // an end that hears (and says) nothing
  RelayToken token{{1, 2, 3}};
  StreamLink ends[2] = {StreamLink(
                            token, [this](const auto& d) { carry(1, d); }, 0),
                        StreamLink(
                            token, [this](const auto& d) { carry(0, d); }, 0)};

  void carry(int to, const std::vector<uint8_t>& datagram) {
    if (static_cast<int>(random() % 100) < lossPercent) return;
    int copies = static_cast<int>(random() % 100) < doublePercent ? 2 : 1;
    for (int i = 0; i < copies; ++i)
      flying.emplace(now + 10 + static_cast<int>(random() % (jitterMs + 1)),
                     std::make_pair(to, datagram));
  }
  void step() {
    ++now;
    while (!flying.empty() && flying.begin()->first <= now) {
      auto [to, datagram] = flying.begin()->second;
      flying.erase(flying.begin());
      LobbyMessage m;
      ASSERT_EQ(decode(datagram.data(), datagram.size(), m), Decoded::Ok);
      ASSERT_EQ(m.type, LobbyType::Stream);
      if (!deaf[to]) ends[to].take(m.part, now);
    }
    for (int e = 0; e < 2; ++e)
      if (!deaf[e]) ends[e].service(now);
  }
};

std::vector<uint8_t> packetNumber(uint32_t n) {
  std::vector<uint8_t> bytes(1 + n % 700, static_cast<uint8_t>(n));
  bytes[0] = static_cast<uint8_t>(n >> 8);
  return bytes;
}

}  // namespace

TEST(StreamLink, EveryPacketArrivesOnceAndInOrderThroughLossDoublesAndOvertaking) {
  Pipe pipe;
  pipe.lossPercent = 10, pipe.doublePercent = 10, pipe.jitterMs = 40;
  constexpr uint32_t Packets = 3000;
  uint32_t sent = 0, received = 0;
  std::vector<uint8_t> packet;
  for (int ms = 0; ms < 120000 && received < Packets; ++ms) {
    // Bursts now and then, as a feed catching a watcher up sends them.
    for (int burst = ms % 500 == 0 ? 40 : ms % 7 == 0; burst > 0 && sent < Packets; --burst) {
      std::vector<uint8_t> bytes = packetNumber(sent++);
      pipe.ends[0].send(Channel::Reliable, bytes.data(), bytes.size());
    }
    pipe.step();
    while (pipe.ends[1].receive(packet)) {
      ASSERT_EQ(packet, packetNumber(received)) << "packet " << received;
      ++received;
    }
    ASSERT_FALSE(pipe.ends[0].gone() || pipe.ends[1].gone()) << "at " << ms << " ms";
  }
  EXPECT_EQ(received, Packets);
  pipe.ends[0].close();
  for (int ms = 0; ms < 100; ++ms) pipe.step();
  EXPECT_TRUE(pipe.ends[1].gone()) << "the goodbye is heard";
}

TEST(StreamLink, AReaderThatStopsHoldsTheSenderBackThenLetsItGoAndSilenceEndsBoth) {
  Pipe pipe;
  std::vector<uint8_t> bytes(100, 7);
  // Nothing is read at end 1: it takes what it has room for and no more.
  int sends = 0;
  while (!pipe.ends[0].gone() && sends < 10000) {
    pipe.ends[0].send(Channel::Reliable, bytes.data(), bytes.size());
    ++sends;
    pipe.step();
  }
  EXPECT_TRUE(pipe.ends[0].gone());
  EXPECT_EQ(sends, static_cast<int>(StreamLink::MostWaiting + StreamLink::MostUnacknowledged + 1));
  // Whatever the sender sends past the bound is dropped, never held.
  std::vector<uint8_t> huge(MostStreamData + 1, 1);
  Pipe other;
  other.ends[0].send(Channel::Reliable, huge.data(), huge.size());
  EXPECT_TRUE(other.ends[0].gone());

  Pipe quiet;
  quiet.deaf[1] = true;
  for (int64_t ms = 0; ms <= StreamLink::SilenceMs + 1; ++ms) quiet.step();
  EXPECT_TRUE(quiet.ends[0].gone()) << "an end that hears nothing gives up";
}
