// A small UDP relay on the loopback address that delays, jitters and drops datagrams, so
// that two copies of the network game meet a bad link on one machine (this kernel has no
// netem):
//   udp-relay LISTEN_PORT TARGET_PORT DELAY_MS JITTER_MS LOSS_PERCENT SEED SECONDS
// The first sender to LISTEN_PORT is the client; what it sends goes to TARGET_PORT, and
// what comes back goes to it. Prints what it carried and dropped when it stops.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;
struct Held {
  Clock::time_point due;
  bool toTarget;
  std::vector<uint8_t> bytes;
};
constexpr size_t MostHeld = 10000;  // a flood beyond this is dropped, not stored

int boundSocket(uint16_t port) {
  int s = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(port);
  if (s < 0 || bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return -1;
  return s;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 8) {
    std::fprintf(stderr,
                 "usage: udp-relay LISTEN_PORT TARGET_PORT DELAY_MS JITTER_MS LOSS_PERCENT SEED "
                 "SECONDS\n");
    return 2;
  }
  uint16_t listenPort = static_cast<uint16_t>(std::atoi(argv[1]));
  uint16_t targetPort = static_cast<uint16_t>(std::atoi(argv[2]));
  int delay = std::atoi(argv[3]), jitter = std::atoi(argv[4]), loss = std::atoi(argv[5]);
  std::mt19937 random(static_cast<uint32_t>(std::atoi(argv[6])));
  auto end = Clock::now() + std::chrono::seconds(std::atoi(argv[7]));
  int front = boundSocket(listenPort);  // the client's side
  int back = boundSocket(0);            // towards the target
  if (front < 0 || back < 0) {
    std::perror("udp-relay");
    return 1;
  }
  sockaddr_in client{}, target{};
  bool haveClient = false;
  target.sin_family = AF_INET;
  target.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  target.sin_port = htons(targetPort);
  std::multimap<Clock::time_point, Held> held;
  long carried = 0, dropped = 0;
  std::vector<uint8_t> buffer(65536);
  while (Clock::now() < end) {
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
      if (static_cast<int>(random() % 100) < loss || held.size() >= MostHeld) {
        ++dropped;
        continue;
      }
      int wait = delay + (jitter > 0 ? static_cast<int>(random() % (2 * jitter + 1)) - jitter : 0);
      auto due = Clock::now() + std::chrono::milliseconds(std::max(0, wait));
      held.insert(
          {due, {due, side == 0, std::vector<uint8_t>(buffer.begin(), buffer.begin() + got)}});
    }
    while (!held.empty() && held.begin()->first <= Clock::now()) {
      const Held& h = held.begin()->second;
      if (h.toTarget)
        sendto(back, h.bytes.data(), h.bytes.size(), 0, reinterpret_cast<sockaddr*>(&target),
               sizeof target);
      else if (haveClient)
        sendto(front, h.bytes.data(), h.bytes.size(), 0, reinterpret_cast<sockaddr*>(&client),
               sizeof client);
      ++carried;
      held.erase(held.begin());
    }
  }
  std::printf("udp-relay: %ld datagrams carried, %ld dropped\n", carried, dropped);
  return 0;
}
