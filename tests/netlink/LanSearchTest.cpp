// The look for a host on the local network, run in a network namespace of the test's own
// with only the loopback device up (see in-own-network.sh), so no broadcast ever leaves
// this machine: a waiting host is found with its game port, another version's host is
// not, and junk on the search port changes nothing.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "EnetLink.h"
#include "LanSearch.h"

namespace {
int64_t nowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Searches until it is over, answering as the beacon would; what it found.
std::string search(LanBeacon& beacon, uint32_t stamp) {
  LanSearch search(stamp, nowMs());
  int64_t limit = nowMs() + LanSearch::SearchMs + 3000;
  while (!search.service(nowMs()) && nowMs() < limit) {
    beacon.service();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return search.found();
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
  for (const char* junk : {"PIGMORA?", "PIGMORA? ", "PIGMORA? 12x", "PIGMORA! 1 2", "", "\xff\xfe"})
    sendto(s, junk, std::strlen(junk), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
  close(s);
  beacon.service();
  EXPECT_EQ(search(beacon, versionStamp("1.2")), "127.0.0.1:31001");
}
