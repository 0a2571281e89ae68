#include "Relay.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <random>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;
struct Held {
  bool toTarget;
  std::vector<uint8_t> bytes;
};
constexpr size_t MostHeld = 10000;  // a flood beyond this is dropped, not stored

sockaddr_in loopback(uint16_t port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(port);
  return a;
}

int boundSocket(uint16_t port) {
  int s = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in a = loopback(port);
  if (s >= 0 && bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) return s;
  if (s >= 0) close(s);
  return -1;
}
}  // namespace

UdpRelay::UdpRelay(uint16_t listenPort, uint16_t targetPort, const RelayLink& link)
    : front(boundSocket(listenPort)), back(boundSocket(0)), targetPort(targetPort), link(link) {}

UdpRelay::~UdpRelay() {
  if (front >= 0) close(front);
  if (back >= 0) close(back);
}

uint16_t UdpRelay::port() const {
  sockaddr_in a{};
  socklen_t length = sizeof a;
  if (front < 0 || getsockname(front, reinterpret_cast<sockaddr*>(&a), &length) != 0) return 0;
  return ntohs(a.sin_port);
}

RelayCount UdpRelay::run(const std::function<bool()>& keepGoing) {
  RelayCount count;
  if (!ready()) return count;
  std::mt19937 random(link.start);
  sockaddr_in client{}, target = loopback(targetPort);
  bool haveClient = false;
  std::multimap<Clock::time_point, Held> held;
  std::vector<uint8_t> buffer(65536);
  while (keepGoing()) {
    pollfd fds[2] = {{front, POLLIN, 0}, {back, POLLIN, 0}};
    poll(fds, 2, 1);
    for (int side = 0; side < 2; ++side) {
      if (!(fds[side].revents & POLLIN)) continue;
      sockaddr_in from{};
      socklen_t length = sizeof from;
      ssize_t got = recvfrom(fds[side].fd, buffer.data(), buffer.size(), 0,
                             reinterpret_cast<sockaddr*>(&from), &length);
      if (got < 0) continue;
      if (side == 0 && !haveClient) client = from, haveClient = true;
      if (static_cast<int>(random() % 100) < link.lossPercent || held.size() >= MostHeld) {
        ++count.dropped;
        continue;
      }
      int spread = link.jitterMs > 0
                       ? static_cast<int>(random() % (2 * link.jitterMs + 1)) - link.jitterMs
                       : 0;
      auto due = Clock::now() + std::chrono::milliseconds(std::max(0, link.delayMs + spread));
      held.insert({due, {side == 0, std::vector<uint8_t>(buffer.begin(), buffer.begin() + got)}});
    }
    while (!held.empty() && held.begin()->first <= Clock::now()) {
      const Held& h = held.begin()->second;
      if (h.toTarget)
        sendto(back, h.bytes.data(), h.bytes.size(), 0, reinterpret_cast<sockaddr*>(&target),
               sizeof target);
      else if (haveClient)
        sendto(front, h.bytes.data(), h.bytes.size(), 0, reinterpret_cast<sockaddr*>(&client),
               sizeof client);
      ++count.carried;
      held.erase(held.begin());
    }
  }
  return count;
}
