// Feeds arbitrary packets to a session in play, as host or as guest: nothing it receives
// may crash it, make it guess further ahead than it may, or make it hold more and more.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "NetSession.h"
#include "SimLink.h"
#include "ToyGame.h"

namespace {

// Carries a session's traffic over a real link until the game has started, then hands it
// the fuzzer's packets instead.
class FeedTransport : public Transport {
public:
  void send(Channel channel, const uint8_t* data, size_t size) override {
    if (link) link->send(channel, data, size);
  }
  bool receive(std::vector<uint8_t>& packet) override {
    if (link) return link->receive(packet);
    if (feed.empty()) return false;
    packet = std::move(feed.front());
    feed.pop_front();
    return true;
  }
  Transport* link = nullptr;
  std::deque<std::vector<uint8_t>> feed;
};

// More than the session's event, digest and message limits together allow.
constexpr size_t HeldItemsBound = 100;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  int target = data[0] & 1;  // the side that gets the fuzzer's packets
  data += 1;
  size -= 1;

  SimLink link(LinkConditions{2, 0, 0, 0, 0, 1});
  ToyGame games[2];
  ToyPlayer players[2] = {ToyPlayer(0, 1), ToyPlayer(1, 2)};
  FeedTransport feeds[2];
  SessionConfig configs[2];
  for (int side = 0; side < 2; ++side) {
    feeds[side].link = &link.end(side);
    configs[side].host = side == 0;
    configs[side].commandLimit = ToyGame::ToyCommands;
  }
  configs[0].setup = ToyGame::setupBytes(7, 200);
  NetSession hostSession(games[0], feeds[0], configs[0], 0);
  NetSession guestSession(games[1], feeds[1], configs[1], 0);
  NetSession* sessions[2] = {&hostSession, &guestSession};

  int64_t now = 0;
  auto run = [&](int64_t until, int sides) {
    for (; now < until; ++now) {
      link.setTime(now);
      for (int side = 0; side < 2; ++side) {
        if (!(sides & (1 << side))) continue;
        sessions[side]->poll(now);
        while (sessions[side]->ready())
          sessions[side]->advance(players[side].next(games[side].state));
      }
    }
  };
  while (now < 1000 && guestSession.phase() != NetSession::Phase::Running) run(now + 1, 3);
  run(now + 200, 3);  // a few ticks of play
  if (hostSession.phase() != NetSession::Phase::Running) __builtin_trap();

  feeds[target].link = nullptr;
  NetSession& session = *sessions[target];
  // Each packet: a byte of milliseconds to let pass, a length byte, then that many bytes.
  while (size >= 2) {
    int64_t wait = data[0];
    size_t length = data[1] < size - 2 ? data[1] : size - 2;
    feeds[target].feed.emplace_back(data + 2, data + 2 + length);
    data += 2 + length;
    size -= 2 + length;
    run(now + wait + 1, 1 << target);
    if (session.heldItems() > HeldItemsBound) __builtin_trap();
    if (session.phase() == NetSession::Phase::Running &&
        session.tick() > session.confirmedTicks() + MaxPredictedTicks)
      __builtin_trap();
  }
  return 0;
}
