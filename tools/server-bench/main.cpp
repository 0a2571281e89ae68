// server-bench: a real pigmora-server as a child process on the loopback address, and
// plain UDP sockets playing its clients.
//   server-bench --server-program=PATH [--matches=N] [--seconds=S]
//     N matches (100 if not given) meet by code, then both sides of each send 33 packets a
//     second through the relay for S seconds (5); prints packets a second relayed, the time
//     a packet takes through the relay against a direct pair's (p50, p99), the server's CPU
//     per 100 matches, its memory per match, and the new codes it gives a second.
//   server-bench --server-program=PATH --watchers=W [--seconds=S]
//     One match made by code whose host shows its game (two computers playing it here) and
//     W watchers (at most the server's 100) following it through the server for S seconds;
//     prints the host's upload, the server's upload in all and per watcher, its CPU and
//     memory, and how far behind the host the watchers were at the end.
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

#include "HeadlessGame.h"
#include "InviteCode.h"
#include "LobbyServer.h"
#include "LobbyWire.h"
#include "NetGame.h"
#include "StreamClient.h"
#include "VersionStamp.h"
#include "Watching.h"

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

// Two sockets the server introduced by code: [0] the host, [1] the joiner. `met` is what
// the host was told, `code` the code.
bool meetByCode(int host, int joiner, uint64_t nonce, LobbyMessage* met = nullptr,
                std::string* code = nullptr) {
  LobbyMessage ask, answer;
  ask.type = LobbyType::Host, ask.nonce = nonce, ask.stamp = Stamp;
  if (!await(host, LobbyType::Code, answer, encode(ask))) return false;
  if (code) *code = answer.code;
  ask.type = LobbyType::Join, ask.code = answer.code;
  if (!await(joiner, LobbyType::Meet, answer, encode(ask))) return false;
  return await(host, LobbyType::Meet, met ? *met : answer);
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

int64_t nowMs() {
  return nowUs() / 1000;
}

// A stream to the server on a socket of its own, counting what crosses it.
struct Streamer {
  Streamer(uint32_t ip, const LobbyMessage& question)
      : fd(openAt(ip)), client(question, [this](const std::vector<uint8_t>& d) {
          sendTo(fd, d);
          sentBytes += d.size();
        }) {
    client.start(nowMs());
  }
  void service(std::vector<uint8_t>& room) {
    ssize_t got;
    while ((got = recv(fd, room.data(), room.size(), 0)) > 0) {
      receivedBytes += uint64_t(got);
      client.take(room.data(), size_t(got), nowMs());
    }
    client.service(nowMs());
  }
  int fd;
  StreamClient client;
  uint64_t sentBytes = 0, receivedBytes = 0;
};

int watchBench(pid_t server, int watchers, int seconds) {
  Usage idle = usageOf(server);
  int host = openAt(clientAddress(0)), joiner = openAt(clientAddress(1));
  LobbyMessage met;
  std::string code;
  if (!meetByCode(host, joiner, 1, &met, &code)) {
    std::fprintf(stderr, "server-bench: the match was not made\n");
    return 1;
  }
  // The players' game, its agreed ticks made here by two computers at the keys.
  GameSetup setup = HeadlessGame::setupFor(GameMode::Versus, 77);
  NetGame game;
  std::vector<uint8_t> setupBytes = NetGame::setupBytes(setup);
  game.begin(setupBytes.data(), setupBytes.size());
  ComputerInput players[2] = {{0, 3, 1}, {1, 3, 2}};
  WatchFeed feed;
  LobbyMessage show;
  show.type = LobbyType::Show, show.nonce = 2, show.token = met.token;
  Streamer upload(clientAddress(2), show);
  feed.add(upload.client, nowMs());
  feed.beginGame(setup);

  std::vector<std::unique_ptr<Streamer>> seats;
  std::vector<std::unique_ptr<Watcher>> followers;
  LobbyMessage watch;
  watch.type = LobbyType::Watch, watch.stamp = Stamp, watch.code = code;
  std::vector<uint8_t> room(2048);
  int64_t start = nowMs(), end = start + int64_t(seconds) * 1000;
  uint32_t ticks = 0;
  while (nowMs() < end) {
    // The watchers come once the host is seen showing, one every few milliseconds.
    if (upload.client.state() == StreamClient::State::Open && int(seats.size()) < watchers &&
        nowMs() - start >= int64_t(seats.size()) * 5) {
      watch.nonce = 100 + seats.size();
      seats.push_back(std::make_unique<Streamer>(clientAddress(3 + int(seats.size())), watch));
      followers.push_back(std::make_unique<Watcher>(seats.back()->client, "bench"));
    }
    for (; int64_t(tickStart(ticks)) <= nowMs() - start && game.game.state != Over; ++ticks) {
      TickInputs inputs;
      for (int side = 0; side < 2; ++side) inputs.side[side] = players[side].next(game.game);
      game.step(ticks, inputs, true);
      feed.confirmed(ticks, inputs);
    }
    upload.service(room);
    feed.poll(nowMs());
    for (size_t i = 0; i < seats.size(); ++i) {
      seats[i]->service(room);
      followers[i]->poll(nowMs());
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  Usage busy = usageOf(server);
  double watched = seconds - 0.005 * watchers / 2.0;
  uint64_t down = 0, behindMost = 0, open = 0;
  for (size_t i = 0; i < seats.size(); ++i) {
    down += seats[i]->receivedBytes;
    open += seats[i]->client.state() == StreamClient::State::Open;
    behindMost = std::max<uint64_t>(behindMost, ticks - followers[i]->tick());
  }
  std::printf("watchers: %d asked, %llu followed the game, %u ticks in %d s\n", watchers,
              static_cast<unsigned long long>(open), ticks, seconds);
  std::printf("host's upload: %.0f B/s to the server (every watcher's feed, once)\n",
              double(upload.sentBytes) / seconds);
  std::printf("server's upload to the watchers: %.0f B/s in all, %.0f B/s a watcher\n",
              double(down) / watched, double(down) / watched / std::max(1, watchers));
  std::printf("server CPU: %.1f%% of a core; memory: %ld kB idle, %ld kB showing\n",
              100 * (busy.cpuSeconds - idle.cpuSeconds) / seconds, idle.rssKb, busy.rssKb);
  std::printf("the watchers were at most %llu ticks behind the host at the end\n",
              static_cast<unsigned long long>(behindMost));
  return open == uint64_t(watchers) ? 0 : 1;
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
  std::string program, matches = "100", seconds = "5", floodSeconds, watchers;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (!value(a, "--server-program", program) && !value(a, "--matches", matches) &&
        !value(a, "--seconds", seconds) && !value(a, "--flood", floodSeconds) &&
        !value(a, "--watchers", watchers)) {
      std::fprintf(stderr,
                   "usage: server-bench --server-program=PATH [--matches=N] [--seconds=S] | "
                   "[--watchers=W] | [--flood=S]\n");
      return 2;
    }
  }
  int n = std::atoi(matches.c_str()), s = std::atoi(seconds.c_str()),
      f = std::atoi(floodSeconds.c_str()), w = std::atoi(watchers.c_str());
  if (program.empty() || n < 1 || s < 1 || f < 0 || f > FloodMostSeconds || w < 0 ||
      size_t(w) > ServerBounds().watchersPerShow) {
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
    status = f > 0 ? flood(server, f) : w > 0 ? watchBench(server, w, s) : relayBench(server, n, s);
  }
  kill(server, SIGTERM);
  waitpid(server, nullptr, 0);
  return status;
}
