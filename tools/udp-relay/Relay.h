#pragma once

#include <cstdint>
#include <functional>

// A UDP relay on the loopback address that delays, jitters and drops datagrams, so that
// two ends of a network game meet a bad link on one machine (this kernel has no netem).
// The first sender to the listening port is the client; what it sends goes to the target
// port, and what comes back goes to it.
struct RelayLink {
  int delayMs = 0;   // each way
  int jitterMs = 0;  // give or take, evenly spread
  int lossPercent = 0;
  uint32_t start = 1;  // of the random drops and delays
};

struct RelayCount {
  long carried = 0;
  long dropped = 0;
};

class UdpRelay {
public:
  // Listens on `listenPort` of the loopback address (0: any free port, see `port`).
  UdpRelay(uint16_t listenPort, uint16_t targetPort, const RelayLink& link);
  ~UdpRelay();
  UdpRelay(const UdpRelay&) = delete;
  UdpRelay& operator=(const UdpRelay&) = delete;

  bool ready() const { return front >= 0 && back >= 0; }
  uint16_t port() const;
  // Carries datagrams until `keepGoing` says no (asked every millisecond or so).
  RelayCount run(const std::function<bool()>& keepGoing);

private:
  int front = -1;  // the client's side
  int back = -1;   // towards the target
  uint16_t targetPort;
  RelayLink link;
};
