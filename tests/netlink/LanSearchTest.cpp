// The look for a host on the local network, run in a network namespace of the test's own
// (see in-own-network.sh), so no broadcast ever leaves this machine: a waiting host is found
// with its game port, another version's host is not, junk on the search port changes
// nothing, and only this machine's networks are answered, never with more bytes than asked.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "EnetLink.h"
#include "LanSearch.h"
#include "SteadyClock.h"

namespace {

// Searches until it is over, answering as the beacon would; what it found.
std::string search(LanBeacon& beacon, uint32_t stamp) {
  LanSearch search(stamp, steadyNowMs());
  int64_t limit = steadyNowMs() + LanSearch::SearchMs + 3000;
  while (!search.service(steadyNowMs()) && steadyNowMs() < limit) {
    beacon.service();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return search.found();
}

// A socket bound to `address` on the other machines (see in-own-network.sh), made there
// by stepping into their network namespace and back; -1 when there are none.
int otherMachineSocket(const char* address) {
  const char* others = std::getenv("PIGMORA_OTHER_MACHINES");
  int here = open("/proc/thread-self/ns/net", O_RDONLY),
      there = others ? open(others, O_RDONLY) : -1;
  int s = there >= 0 && setns(there, CLONE_NEWNET) == 0
              ? socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0)
              : -1;
  setns(here, CLONE_NEWNET);
  close(here);
  if (there >= 0) close(there);
  sockaddr_in at{};
  at.sin_family = AF_INET;
  inet_pton(AF_INET, address, &at.sin_addr);
  return s >= 0 && bind(s, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0 ? s : -1;
}
}  // namespace

TEST(LanSearch, FindsAWaitingHostOfItsOwnVersionOnly) {
  LanBeacon beacon(versionStamp("1.2"), 31000);
  ASSERT_TRUE(beacon.listening());
  EXPECT_EQ(search(beacon, versionStamp("1.2")), "127.0.0.1:31000");
  EXPECT_EQ(search(beacon, versionStamp("1.3")), "");
}

TEST(LanSearch, JunkOnTheSearchPortIsIgnored) {
  LanBeacon beacon(versionStamp("1.2"), 31001);
  int s = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(LanSearchPort);
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  for (const char* junk :
       {"PIGMORA?", "PIGMORA? ", "PIGMORA?    ", "PIGMORA? 12x", "PIGMORA! 1 2", "", "\xff\xfe"})
    sendto(s, junk, std::strlen(junk), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
  close(s);
  beacon.service();
  EXPECT_EQ(search(beacon, versionStamp("1.2")), "127.0.0.1:31001");
}

TEST(LanSearch, OnlyItsOwnNetworksAreAnsweredNeverWithMoreBytesThanAsked) {
  LanBeacon beacon(versionStamp("1.2"), 31002);
  const std::string question = lanQuestion(versionStamp("1.2"));
  sockaddr_in beaconAt{};
  beaconAt.sin_family = AF_INET;
  beaconAt.sin_port = htons(LanSearchPort);
  inet_pton(AF_INET, "198.51.100.1", &beaconAt.sin_addr);
  // A stranger beyond this machine's network, then a neighbour on it, on the same cable: by
  // the time the neighbour has its answer, the stranger's question was read too.
  const char* askers[] = {"203.0.113.2", "198.51.100.77"};
  int sockets[2];
  std::string answers[2];
  for (int i = 0; i < 2; ++i) {
    sockets[i] = otherMachineSocket(askers[i]);
    ASSERT_GE(sockets[i], 0) << "in-own-network.sh makes the other machines";
    sendto(sockets[i], question.data(), question.size(), 0,
           reinterpret_cast<const sockaddr*>(&beaconAt), sizeof beaconAt);
  }
  auto heard = [&](int i) {
    char data[256];
    ssize_t got = recv(sockets[i], data, sizeof data, 0);
    if (got > 0) answers[i].assign(data, static_cast<size_t>(got));
    return !answers[i].empty();
  };
  for (int64_t limit = steadyNowMs() + 3000; !heard(1) && steadyNowMs() < limit;) {
    beacon.service();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  EXPECT_FALSE(heard(0)) << "the stranger heard " << answers[0];
  EXPECT_EQ(answers[1], "PIGMORA! " + std::to_string(versionStamp("1.2")) + " 31002");
  EXPECT_LE(answers[1].size(), question.size());
  for (int s : sockets) close(s);
}
