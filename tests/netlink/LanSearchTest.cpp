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

// A socket bound to `address`, made in the network namespace at `namespacePath` (-1 when
// it cannot be). Only the thread that enters a namespace moves, so one of its own does.
int socketAt(const char* address, const char* namespacePath) {
  int s = -1;
  std::thread([&] {
    int space = open(namespacePath, O_RDONLY | O_CLOEXEC);
    if (space < 0) return;
    if (setns(space, CLONE_NEWNET) == 0) s = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
    close(space);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    inet_pton(AF_INET, address, &at.sin_addr);
    if (s >= 0 && bind(s, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0) {
      close(s);
      s = -1;
    }
  }).join();
  return s;
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

TEST(LanSearch, OnlyItsOwnNetworksAreAnsweredNeverWithMoreBytesThanAsked) {
  const char* others = std::getenv("PIGMORA_OTHER_MACHINES");
  ASSERT_NE(others, nullptr) << "in-own-network.sh makes the other machines";
  constexpr uint16_t GamePort = 31002;
  LanBeacon beacon(versionStamp("1.2"), GamePort);
  const std::string question = lanQuestion(versionStamp("1.2"));
  struct Asker {
    const char* name;
    const char* from;
    const char* namespacePath;
    bool answered;
  };
  // The stranger asks first: by the time the neighbour, on the same cable, has its answer,
  // the stranger's question was read too.
  Asker askers[] = {{"a stranger beyond this machine's network", "203.0.113.2", others, false},
                    {"a neighbour on its network", "198.51.100.77", others, true},
                    {"this machine", "127.0.0.1", "/proc/self/ns/net", true}};
  int sockets[3];
  std::string answers[3];
  for (int i = 0; i < 3; ++i) {
    const Asker& asker = askers[i];
    sockets[i] = socketAt(asker.from, asker.namespacePath);
    ASSERT_GE(sockets[i], 0) << asker.name;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(LanSearchPort);
    inet_pton(AF_INET, asker.namespacePath == others ? "198.51.100.1" : "127.0.0.1", &to.sin_addr);
    sendto(sockets[i], question.data(), question.size(), 0, reinterpret_cast<sockaddr*>(&to),
           sizeof to);
  }
  auto heard = [&](int i) {
    char data[256];
    ssize_t got = recv(sockets[i], data, sizeof data, 0);
    if (got > 0) answers[i].assign(data, static_cast<size_t>(got));
    return !answers[i].empty();
  };
  int64_t limit = nowMs() + 3000;
  while (!(heard(1) && heard(2)) && nowMs() < limit) {
    beacon.service();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(askers[i].name);
    EXPECT_EQ(heard(i), askers[i].answered) << "answer: " << answers[i];
    EXPECT_LE(answers[i].size(), question.size());
    if (askers[i].answered) {
      EXPECT_EQ(answers[i],
                "PIGMORA! " + std::to_string(versionStamp("1.2")) + " " + std::to_string(GamePort));
    }
    close(sockets[i]);
  }
}
