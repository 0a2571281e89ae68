#pragma once

#include <cstdint>
#include <functional>
#include <queue>
#include <vector>

#include "Transport.h"

// How a simulated link mistreats what crosses it, each way alike.
struct LinkConditions {
  int latencyMs = 0;    // one way
  int jitterMs = 0;     // each packet's delay varies by up to this much either way
  int lossPercent = 0;  // unreliable packets lost; reliable ones resent a round trip later
  int duplicatePercent = 0;
  int reorderPercent = 0;  // unreliable packets held back behind later ones
  uint32_t randomStart = 1;
};

// Two transports joined in one process through a link with latency, jitter, loss,
// duplication and reordering, all drawn from randomStart. Time is whatever the caller says it
// is (setTime), so a test runs minutes of play in moments and the same randomStart gives the same
// run.
class SimLink {
public:
  explicit SimLink(const LinkConditions& conditions);
  SimLink(const SimLink&) = delete;
  SimLink& operator=(const SimLink&) = delete;

  // The end side 0 or 1 sends from and receives at.
  Link& end(int side) { return ends[side]; }
  void setTime(int64_t now) { this->now = now; }
  // While cut, nothing gets through: unreliable packets are lost, reliable ones wait for
  // the link to come back.
  void setCut(bool cut);

  // Hands `bytes` to side `to` as though they had just arrived (tests feed bad packets).
  void deliver(int to, std::vector<uint8_t> bytes);

  struct Traffic {
    uint64_t bytes = 0;
    uint64_t packets = 0;
  };
  // What side `side` sent (each packet counted once, as sent).
  const Traffic& sent(int side) const { return traffic[side]; }

private:
  struct Packet {
    int64_t arrival;
    uint64_t order;  // ties broken by sending order
    std::vector<uint8_t> bytes;
    bool operator>(const Packet& other) const {
      return arrival != other.arrival ? arrival > other.arrival : order > other.order;
    }
  };
  using Queue = std::priority_queue<Packet, std::vector<Packet>, std::greater<Packet>>;

  class End : public Link {
  public:
    void send(Channel channel, const uint8_t* data, size_t size) override;
    bool receive(std::vector<uint8_t>& packet) override;
    void service(int64_t) override {}
    // Closed at either end: a goodbye is heard at once, as a socket library's would be.
    bool gone() const override { return link->closed[0] || link->closed[1]; }
    void close() override { link->closed[side] = true; }
    SimLink* link = nullptr;
    int side = 0;
  };

  void send(int from, Channel channel, const uint8_t* data, size_t size);
  bool receive(int at, std::vector<uint8_t>& packet);
  uint32_t random();
  int64_t delay();
  bool chance(int percent) { return percent > 0 && static_cast<int>(random() % 100) < percent; }

  LinkConditions conditions;
  uint64_t state;
  int64_t now = 0;
  bool cut = false;
  bool closed[2] = {false, false};
  uint64_t order = 0;
  End ends[2];
  Queue inFlight[2];                 // towards side 0, towards side 1
  int64_t lastReliable[2] = {0, 0};  // reliable packets keep their order
  std::vector<Packet> held[2];       // reliable packets sent while cut
  Traffic traffic[2];
};
