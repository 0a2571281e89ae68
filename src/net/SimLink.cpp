#include "SimLink.h"

#include <algorithm>

SimLink::SimLink(const LinkConditions& conditions)
    : conditions(conditions), state(conditions.randomStart * 0x9E3779B97F4A7C15ull + 1) {
  for (int side = 0; side < 2; ++side) {
    ends[side].link = this;
    ends[side].side = side;
  }
}

void SimLink::End::send(Channel channel, const uint8_t* data, size_t size) {
  if (!gone()) link->send(side, channel, data, size);
}

bool SimLink::End::receive(std::vector<uint8_t>& packet) {
  return link->receive(side, packet);
}

uint32_t SimLink::random() {
  // splitmix64: the link's own generator, so it never disturbs the game's
  uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return static_cast<uint32_t>((z ^ (z >> 31)) >> 32);
}

int64_t SimLink::delay() {
  int64_t d = conditions.latencyMs;
  if (conditions.jitterMs > 0)
    d += static_cast<int64_t>(random() % (2 * conditions.jitterMs + 1)) - conditions.jitterMs;
  return d < 0 ? 0 : d;
}

void SimLink::setCut(bool cutNow) {
  if (cut && !cutNow) {
    for (int to = 0; to < 2; ++to) {
      for (Packet& packet : held[to]) {
        packet.arrival = std::max(now + delay(), lastReliable[to]);
        lastReliable[to] = packet.arrival;
        inFlight[to].push(std::move(packet));
      }
      held[to].clear();
    }
  }
  cut = cutNow;
}

void SimLink::send(int from, Channel channel, const uint8_t* data, size_t size) {
  traffic[from].bytes += size;
  traffic[from].packets += 1;
  int to = 1 - from;
  Packet packet{0, order++, std::vector<uint8_t>(data, data + size)};
  if (channel == Channel::Reliable) {
    if (cut) {
      held[to].push_back(std::move(packet));
      return;
    }
    // A lost reliable packet is sent again once the sender misses its acknowledgement.
    int64_t arrival = now + delay();
    while (chance(conditions.lossPercent)) arrival += 2 * conditions.latencyMs + 20;
    packet.arrival = std::max(arrival, lastReliable[to]);
    lastReliable[to] = packet.arrival;
    inFlight[to].push(std::move(packet));
    return;
  }
  if (cut || chance(conditions.lossPercent)) return;
  int copies = chance(conditions.duplicatePercent) ? 2 : 1;
  for (int i = 0; i < copies; ++i) {
    Packet copy = packet;
    copy.order = order++;
    copy.arrival = now + delay();
    if (chance(conditions.reorderPercent)) copy.arrival += 1 + random() % 40;
    inFlight[to].push(std::move(copy));
  }
}

void SimLink::deliver(int to, std::vector<uint8_t> bytes) {
  inFlight[to].push(Packet{now, order++, std::move(bytes)});
}

bool SimLink::receive(int at, std::vector<uint8_t>& packet) {
  Queue& queue = inFlight[at];
  if (queue.empty() || queue.top().arrival > now) return false;
  packet = queue.top().bytes;
  queue.pop();
  return true;
}
