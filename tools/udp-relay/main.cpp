// The delaying, dropping relay as a program of its own, for the two-process network test:
//   udp-relay LISTEN_PORT TARGET_PORT DELAY_MS JITTER_MS LOSS_PERCENT START SECONDS
// Prints what it carried and dropped when it stops.
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "Relay.h"

int main(int argc, char** argv) {
  if (argc != 8) {
    std::fprintf(stderr,
                 "usage: udp-relay LISTEN_PORT TARGET_PORT DELAY_MS JITTER_MS LOSS_PERCENT START "
                 "SECONDS\n");
    return 2;
  }
  RelayLink link{std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]),
                 static_cast<uint32_t>(std::atoi(argv[6]))};
  UdpRelay relay(static_cast<uint16_t>(std::atoi(argv[1])),
                 static_cast<uint16_t>(std::atoi(argv[2])), link);
  if (!relay.ready()) {
    std::perror("udp-relay");
    return 1;
  }
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(std::atoi(argv[7]));
  RelayCount count = relay.run([&] { return std::chrono::steady_clock::now() < end; });
  std::printf("udp-relay: %ld datagrams carried, %ld dropped\n", count.carried, count.dropped);
  return 0;
}
