#include "ServerLoop.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "SteadyClock.h"

namespace {
// How often the server looks at its clock when nothing comes: lapses and silences are
// seconds long, and a stop request is seen within this.
constexpr int WakeMs = 100;
// Datagrams read before the clock and the stop request are looked at again.
constexpr int ReadsPerTurn = 256;
// How often the dropped datagrams are summed up in the log, when there were any.
constexpr int64_t DropReportMs = 60 * 1000;
constexpr size_t ReadRoom = 2048;

void logLine(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

Endpoint endpointOf(const sockaddr_in& a) {
  return Endpoint{ntohl(a.sin_addr.s_addr), ntohs(a.sin_port)};
}
}  // namespace

int serve(const ServerOptions& options, const std::atomic<bool>& stop) {
  int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  sockaddr_in here{};
  here.sin_family = AF_INET;
  here.sin_port = htons(options.port);
  if (fd < 0 || inet_pton(AF_INET, options.address.c_str(), &here.sin_addr) != 1 ||
      bind(fd, reinterpret_cast<sockaddr*>(&here), sizeof here) != 0) {
    std::fprintf(stderr, "pigmora-server: cannot listen on UDP port %u: %s\n", options.port,
                 std::strerror(errno));
    if (fd >= 0) close(fd);
    return 1;
  }
  auto send = [fd](const Endpoint& to, const uint8_t* data, size_t size) {
    sockaddr_in there{};
    there.sin_family = AF_INET;
    there.sin_addr.s_addr = htonl(to.ip);
    there.sin_port = htons(to.port);
    sendto(fd, data, size, 0, reinterpret_cast<sockaddr*>(&there), sizeof there);
  };
  LobbyServer server(options.bounds, send, logLine, systemRandomBytes);
  logLine("listening on UDP port " + std::to_string(options.port) + ", at most " +
          std::to_string(options.bounds.matches) + " matches");
  std::vector<uint8_t> room(ReadRoom);
  uint64_t droppedReported = 0;
  int64_t reportedAt = steadyNowMs();
  while (!stop) {
    pollfd wait{fd, POLLIN, 0};
    poll(&wait, 1, WakeMs);
    for (int n = 0; n < ReadsPerTurn; ++n) {
      sockaddr_in from{};
      socklen_t fromSize = sizeof from;
      ssize_t got =
          recvfrom(fd, room.data(), room.size(), 0, reinterpret_cast<sockaddr*>(&from), &fromSize);
      if (got < 0) break;
      server.receive(endpointOf(from), room.data(), static_cast<size_t>(got), steadyNowMs());
    }
    int64_t now = steadyNowMs();
    server.tick(now);
    if (now - reportedAt >= DropReportMs) {
      uint64_t dropped = server.counts().dropped + server.counts().overRate;
      if (dropped != droppedReported)
        logLine("dropped " + std::to_string(dropped - droppedReported) +
                " datagrams (garbage, unknown senders, over the rate) in the last minute");
      droppedReported = dropped;
      reportedAt = now;
    }
  }
  server.stopTaking();
  logLine("stopping: " + std::to_string(server.matches()) +
          " matches dropped, relayed games end as a lost connection does");
  close(fd);
  return 0;
}
