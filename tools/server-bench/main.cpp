// server-bench: a real pigmora-server as a child process on the loopback address, and
// plain UDP sockets playing its clients.
//   server-bench --server-program=PATH [--matches=N] [--seconds=S]
//     N matches (100 if not given) meet by code, then both sides of each send 33 packets a
//     second through the relay for S seconds (5); prints packets a second relayed, the time
//     a packet takes through the relay against a direct pair's (p50, p99), the server's CPU
//     per 100 matches, its memory per match, and the new codes it gives a second.
//   server-bench --server-program=PATH --flood=S
//     S seconds (at most 30) of random and half-valid datagrams from many addresses, no more
//     than FloodMostPackets in all; then the server must still run, hold less than
//     FloodMostKb of memory, and introduce two new players at once. Exits 1 when not.
// Clients come from many addresses of 127.0.0.0/8, as the server bounds players per address.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "InviteCode.h"
#include "LobbyWire.h"
#include "VersionStamp.h"

namespace {
constexpr int64_t SendEveryUs = 30000;  // about 33 packets a second, as a game sends
constexpr size_t GamePacket = 40;
constexpr uint8_t NotLobby = 0x80;
constexpr int AnswerLimitMs = 2000;
constexpr int FloodMostSeconds = 30;
constexpr uint64_t FloodMostPackets = 400000;
constexpr long FloodMostKb = 64 * 1024;
constexpr int FloodSenders = 64;
constexpr int CodeSenders = 64;
constexpr int CodeSeconds = 2;
constexpr uint32_t Loopback = 0x7f000000;
const uint32_t Stamp = versionStamp("1.1");

int64_t nowUs() {
  using namespace std::chrono;
  return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

// A socket on 127.x.y.z (host order), port of the system's choosing, that never blocks.
int openAt(uint32_t ip) {
  int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(ip);
  if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    std::perror("server-bench: socket");
    std::exit(2);
  }
  return fd;
}

uint16_t freePort() {
  int fd = openAt(Loopback | 1);
  sockaddr_in a{};
  socklen_t n = sizeof a;
  getsockname(fd, reinterpret_cast<sockaddr*>(&a), &n);
  close(fd);
  return ntohs(a.sin_port);
}

uint16_t serverPort = 0;

void sendTo(int fd, const std::vector<uint8_t>& d, uint32_t ip = Loopback | 1, uint16_t port = 0) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(ip);
  a.sin_port = htons(port ? port : serverPort);
  sendto(fd, d.data(), d.size(), 0, reinterpret_cast<sockaddr*>(&a), sizeof a);
}

// The next lobby message of `type` on fd, asking again every so often; false at the limit.
bool await(int fd, LobbyType type, LobbyMessage& m, const std::vector<uint8_t>& ask = {}) {
  int64_t end = nowUs() + AnswerLimitMs * 1000;
  std::vector<uint8_t> room(2048);
  while (nowUs() < end) {
    if (!ask.empty()) sendTo(fd, ask);
    pollfd p{fd, POLLIN, 0};
    poll(&p, 1, 100);
    ssize_t got;
    while ((got = recv(fd, room.data(), room.size(), 0)) > 0)
      if (decode(room.data(), size_t(got), m) == Decoded::Ok && m.type == type) return true;
  }
  return false;
}

// Two sockets the server introduced by code: [0] the host, [1] the joiner.
bool meetByCode(int host, int joiner, uint64_t nonce) {
  LobbyMessage ask, answer;
  ask.type = LobbyType::Host, ask.nonce = nonce, ask.stamp = Stamp;
  if (!await(host, LobbyType::Code, answer, encode(ask))) return false;
  ask.type = LobbyType::Join, ask.code = answer.code;
  if (!await(joiner, LobbyType::Meet, answer, encode(ask))) return false;
  return await(host, LobbyType::Meet, answer);
}

struct Usage {
  double cpuSeconds = 0;
  long rssKb = 0;
};

Usage usageOf(pid_t pid) {
  Usage u;
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string all((std::istreambuf_iterator<char>(stat)), {});
  std::istringstream fields(all.substr(all.rfind(')') + 2));
  std::string f;
  unsigned long user = 0, system = 0;
  for (int i = 3; i <= 15 && fields >> f; ++i) {
    if (i == 14) user = std::stoul(f);
    if (i == 15) system = std::stoul(f);
  }
  u.cpuSeconds = double(user + system) / double(sysconf(_SC_CLK_TCK));
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) u.rssKb = std::stol(line.substr(6));
  return u;
}

double percentile(std::vector<int64_t>& v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return double(v[std::min(v.size() - 1, size_t(p * double(v.size())))]);
}

uint32_t clientAddress(int i) {
  return Loopback | uint32_t(2 + i / 250) << 8 | uint32_t(2 + i % 250);
}

int relayBench(pid_t server, int matches, int seconds) {
  Usage idle = usageOf(server);
  std::vector<int> fds;
  for (int i = 0; i < matches; ++i) {
    int host = openAt(clientAddress(2 * i)), joiner = openAt(clientAddress(2 * i + 1));
    if (!meetByCode(host, joiner, uint64_t(i) + 1)) {
      std::fprintf(stderr, "server-bench: match %d was not made\n", i);
      return 1;
    }
    fds.push_back(host), fds.push_back(joiner);
  }
  Usage met = usageOf(server);
  // A pair sending to each other directly: what the loop itself costs a packet.
  int directA = openAt(Loopback | 1), directB = openAt(Loopback | 1);
  sockaddr_in a{}, b{};
  socklen_t n = sizeof a;
  getsockname(directA, reinterpret_cast<sockaddr*>(&a), &n);
  n = sizeof b;
  getsockname(directB, reinterpret_cast<sockaddr*>(&b), &n);
  std::vector<pollfd> polls;
  for (int fd : fds) polls.push_back({fd, POLLIN, 0});
  polls.push_back({directA, POLLIN, 0}), polls.push_back({directB, POLLIN, 0});
  std::vector<int64_t> relayed, direct;
  std::vector<uint8_t> packet(GamePacket, 0), room(2048);
  packet[0] = NotLobby;
  int64_t start = nowUs(), end = start + int64_t(seconds) * 1000000, next = start;
  uint64_t sent = 0;
  while (nowUs() < end) {
    // Games are not in step with each other: each side sends at its own moment of the
    // interval, so the server sees an even stream rather than every match at once.
    uint64_t due = uint64_t(nowUs() - start) * fds.size() / SendEveryUs;
    for (; sent < due; ++sent) {
      int64_t t = nowUs();
      std::memcpy(packet.data() + 1, &t, sizeof t);
      sendTo(fds[sent % fds.size()], packet);
    }
    if (nowUs() >= next) {
      int64_t t = nowUs();
      std::memcpy(packet.data() + 1, &t, sizeof t);
      packet[9] = 1;
      sendTo(directA, packet, Loopback | 1, ntohs(b.sin_port));
      sendTo(directB, packet, Loopback | 1, ntohs(a.sin_port));
      packet[9] = 0;
      next += SendEveryUs;
    }
    poll(polls.data(), polls.size(), 1);
    for (const pollfd& p : polls) {
      if (!(p.revents & POLLIN)) continue;
      ssize_t got;
      while ((got = recv(p.fd, room.data(), room.size(), 0)) >= int(GamePacket)) {
        int64_t t = 0;
        std::memcpy(&t, room.data() + 1, sizeof t);
        (room[9] ? direct : relayed).push_back(nowUs() - t);
      }
    }
  }
  Usage busy = usageOf(server);
  double cpu = (busy.cpuSeconds - met.cpuSeconds) / seconds;
  std::printf("relayed matches: %d, %d s, %.0f packets/s sent, %.0f relayed (%.1f%% arrived)\n",
              matches, seconds, double(sent) / seconds, double(relayed.size()) / seconds,
              sent ? 100.0 * double(relayed.size()) / double(sent) : 0.0);
  double r50 = percentile(relayed, 0.5), r99 = percentile(relayed, 0.99);
  double d50 = percentile(direct, 0.5), d99 = percentile(direct, 0.99);
  std::printf(
      "through the relay: p50 %.0f us, p99 %.0f us; direct: p50 %.0f us, p99 %.0f us; "
      "added p50 %.0f us, p99 %.0f us\n",
      r50, r99, d50, d99, r50 - d50, r99 - d99);
  std::printf(
      "server CPU: %.1f%% of a core, %.2f%% per 100 matches; memory: %ld kB idle, "
      "%.0f bytes per match\n",
      100 * cpu, 100 * cpu * 100 / matches, idle.rssKb,
      1024.0 * double(met.rssKb - idle.rssKb) / matches);
  // New codes: each sender asks, takes its code, leaves, and asks again.
  std::vector<int> askers;
  std::vector<pollfd> waits;
  for (int i = 0; i < CodeSenders; ++i) {
    askers.push_back(openAt(clientAddress(2 * matches + i)));
    waits.push_back({askers.back(), POLLIN, 0});
  }
  uint64_t nonce = 1u << 30, codes = 0;
  LobbyMessage ask, leave, answer;
  ask.type = LobbyType::Host, ask.stamp = Stamp;
  leave.type = LobbyType::Leave;
  std::vector<uint64_t> asked(CodeSenders);
  for (int i = 0; i < CodeSenders; ++i)
    ask.nonce = asked[i] = ++nonce, sendTo(askers[i], encode(ask));
  int64_t codesEnd = nowUs() + CodeSeconds * 1000000;
  while (nowUs() < codesEnd) {
    poll(waits.data(), waits.size(), 10);
    for (int i = 0; i < CodeSenders; ++i) {
      ssize_t got = recv(askers[i], room.data(), room.size(), 0);
      if (got <= 0 || decode(room.data(), size_t(got), answer) != Decoded::Ok) continue;
      if (answer.type == LobbyType::Code) ++codes;
      leave.nonce = asked[i];
      sendTo(askers[i], encode(leave));
      ask.nonce = asked[i] = ++nonce;
      sendTo(askers[i], encode(ask));
    }
  }
  std::printf("new codes: %.0f a second\n", double(codes) / CodeSeconds);
  return 0;
}

int flood(pid_t server, int seconds) {
  std::mt19937 random(2718);
  std::vector<int> senders;
  for (int i = 0; i < FloodSenders; ++i) senders.push_back(openAt(clientAddress(i)));
  LobbyMessage shape;
  shape.stamp = Stamp;
  uint64_t sent = 0;
  int64_t end = nowUs() + int64_t(seconds) * 1000000;
  std::vector<uint8_t> room(2048);
  while (nowUs() < end && sent < FloodMostPackets) {
    for (int fd : senders) {
      std::vector<uint8_t> d;
      switch (random() % 4) {
        case 0:  // noise, up to past the largest datagram taken
          d.resize(random() % 1600);
          for (uint8_t& b : d) b = uint8_t(random());
          break;
        case 1: {  // a request with a few bytes changed or cut
          shape.type = LobbyType(1 + random() % 5);
          shape.nonce = random();
          d = encode(shape);
          for (int k = random() % 4; k > 0; --k) d[random() % d.size()] = uint8_t(random());
          if (random() % 2) d.resize(random() % d.size());
          break;
        }
        case 2: {  // a join with a made-up code
          shape.type = LobbyType::Join;
          shape.code = newCode([&](uint8_t* out, size_t n) {
            for (size_t i = 0; i < n; ++i) out[i] = uint8_t(random());
          });
          d = encode(shape);
          break;
        }
        default:  // a host asking, and a relay token guessed
          shape.type = random() % 2 ? LobbyType::Host : LobbyType::Relay;
          shape.nonce = random();
          for (uint8_t& b : shape.token) b = uint8_t(random());
          d = encode(shape);
      }
      sendTo(fd, d);
      ++sent;
      while (recv(fd, room.data(), room.size(), 0) > 0) {
      }
    }
  }
  Usage after = usageOf(server);
  bool alive = waitpid(server, nullptr, WNOHANG) == 0;
  int host = openAt(clientAddress(1000)), joiner = openAt(clientAddress(1001));
  int64_t asked = nowUs();
  bool met = alive && meetByCode(host, joiner, 1);
  std::printf(
      "flood: %llu datagrams in %d s; server %s, %ld kB held (bound %ld kB); two new "
      "players %s in %lld ms\n",
      static_cast<unsigned long long>(sent), seconds, alive ? "alive" : "DEAD", after.rssKb,
      FloodMostKb, met ? "met" : "did NOT meet", static_cast<long long>((nowUs() - asked) / 1000));
  return alive && met && after.rssKb < FloodMostKb ? 0 : 1;
}

bool value(const std::string& a, const char* name, std::string& out) {
  std::string prefix = std::string(name) + "=";
  if (a.rfind(prefix, 0) != 0) return false;
  out = a.substr(prefix.size());
  return true;
}
}  // namespace

int main(int argc, char** argv) {
  std::string program, matches = "100", seconds = "5", floodSeconds;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (!value(a, "--server-program", program) && !value(a, "--matches", matches) &&
        !value(a, "--seconds", seconds) && !value(a, "--flood", floodSeconds)) {
      std::fprintf(stderr,
                   "usage: server-bench --server-program=PATH [--matches=N] [--seconds=S] | "
                   "[--flood=S]\n");
      return 2;
    }
  }
  int n = std::atoi(matches.c_str()), s = std::atoi(seconds.c_str()),
      f = std::atoi(floodSeconds.c_str());
  if (program.empty() || n < 1 || s < 1 || f < 0 || f > FloodMostSeconds) {
    std::fprintf(stderr, "server-bench: give --server-program, and numbers in range\n");
    return 2;
  }
  rlimit files{};
  getrlimit(RLIMIT_NOFILE, &files);
  files.rlim_cur = files.rlim_max;
  setrlimit(RLIMIT_NOFILE, &files);
  serverPort = freePort();
  pid_t server = fork();
  if (server == 0) {
    std::string port = "--port=" + std::to_string(serverPort);
    std::string most = "--max-matches=" + std::to_string(std::max(n, 16));
    if (!std::freopen("/dev/null", "w", stdout)) _exit(127);
    execl(program.c_str(), program.c_str(), "--listen=127.0.0.1", port.c_str(), most.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  // Waits for the server to answer before measuring anything.
  int probe = openAt(clientAddress(2000));
  LobbyMessage ask, answer;
  ask.type = LobbyType::Quick, ask.stamp = Stamp, ask.nonce = 1;
  int status = 1;
  if (!await(probe, LobbyType::Queued, answer, encode(ask))) {
    std::fprintf(stderr, "server-bench: the server does not answer\n");
  } else {
    status = f > 0 ? flood(server, f) : relayBench(server, n, s);
  }
  kill(server, SIGTERM);
  waitpid(server, nullptr, 0);
  return status;
}
