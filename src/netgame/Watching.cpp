#include "Watching.h"

#include <algorithm>

#include "LittleEndian.h"

namespace {

// A feed message: the marker, its type, its payload. Every one travels reliably and in order.
constexpr uint8_t WatchMarker = 0xB5;
enum class FeedType : uint8_t {
  Game = 1,    // host: a game began; its number and setup
  Ticks = 2,   // host: a game's agreed inputs from a tick on
  End = 3,     // host: how the game ended
  Closed = 4,  // host: the players' connection ended
  Full = 5,    // host: no room; the words follow
  Seen = 6,    // watcher: the ticks of a game it has
};
// A packet of ticks stays well under what any link takes whole.
constexpr size_t MostTickBytes = 1000;
// A tick's record: a run of empty ticks (RunFlag | length - 1), else each side's command
// count (3 bits each) and the commands.
constexpr uint8_t RunFlag = 0x80;
constexpr uint32_t LongestRun = 128;
constexpr int CountBits = 3;
constexpr uint8_t CountMask = (1 << CountBits) - 1;
// Live ticks go out together this often, and a watcher says how far it got this often: a
// packet a tick would cost more in headers than the game's presses ever do.
constexpr int64_t BatchMs = 100;
constexpr int64_t ReportEveryMs = 250;
// While catching up, a watcher reports as soon as it has this much of the window, so that
// the host sends on without waiting out a report's interval.
constexpr uint32_t CatchUpReport = WatchFeed::WindowTicks / 4;
// How often a held-back feed notes how far the game has come.
constexpr int64_t MarkEveryMs = 100;
constexpr int64_t MsPerSecond = 1000;

std::vector<uint8_t> message(FeedType type, uint32_t game) {
  std::vector<uint8_t> out{WatchMarker, static_cast<uint8_t>(type)};
  putLittleEndian(out, game, 4);
  return out;
}

bool emptyTick(const TickInputs& inputs) {
  return inputs.side[0].empty() && inputs.side[1].empty();
}

// Appends the records of `ticks` from `from`, up to `to` or the packet's room; returns the
// tick it stopped before.
uint32_t encodeTicks(const std::vector<TickInputs>& ticks, uint32_t from, uint32_t to,
                     std::vector<uint8_t>& out, size_t room) {
  uint32_t t = from;
  while (t < to && out.size() + 1 + 2 * TickInput::Capacity <= room) {
    if (emptyTick(ticks[t])) {
      uint32_t run = 1;
      while (t + run < to && run < LongestRun && emptyTick(ticks[t + run])) ++run;
      out.push_back(static_cast<uint8_t>(RunFlag | (run - 1)));
      t += run;
      continue;
    }
    const TickInputs& inputs = ticks[t++];
    out.push_back(static_cast<uint8_t>(inputs.side[0].count | inputs.side[1].count << CountBits));
    for (const TickInput& side : inputs.side)
      out.insert(out.end(), side.commands, side.commands + side.count);
  }
  return t;
}

// Reads records into `held` (no more than `room` ticks); false for anything malformed.
bool decodeTicks(LittleEndianReader& in, std::deque<TickInputs>& held, size_t room,
                 uint32_t& count) {
  count = 0;
  while (in.left() > 0) {
    uint8_t head = static_cast<uint8_t>(in.take(1));
    if (head & RunFlag) {
      uint32_t run = (head & ~RunFlag) + 1u;
      if (held.size() + run > room) return false;
      held.insert(held.end(), run, TickInputs());
      count += run;
      continue;
    }
    if (held.size() + 1 > room) return false;
    TickInputs inputs;
    int counts[2] = {head & CountMask, head >> CountBits};
    for (int side = 0; side < 2; ++side) {
      if (counts[side] > TickInput::Capacity) return false;
      for (int i = 0; i < counts[side]; ++i) {
        uint8_t command = static_cast<uint8_t>(in.take(1));
        if (!in.ok() || !NetGame::playable(command)) return false;
        inputs.side[side].add(command);
      }
    }
    held.push_back(inputs);
    ++count;
  }
  return in.ok();
}

// One message of a feed as read from its packet; which fields count goes by `type`.
struct FeedMessage {
  FeedType type = FeedType::Game;
  uint32_t game = 0;
  uint32_t available = 0;  // Game, Ticks: ticks the sender had for watchers
  int delay = 0;           // Game
  std::vector<uint8_t> setup;
  uint32_t first = 0;  // Ticks
  std::deque<TickInputs> ticks;
  WatchedEnd end;
};

// False for anything malformed, or ticks past `room`.
bool readFeed(const std::vector<uint8_t>& packet, FeedMessage& m, size_t room) {
  LittleEndianReader in(packet.data(), packet.size());
  if (in.take(1) != WatchMarker) return false;
  m.type = static_cast<FeedType>(in.take(1));
  m.game = static_cast<uint32_t>(in.take(4));
  switch (m.type) {
    case FeedType::Game: {
      m.available = static_cast<uint32_t>(in.take(4));
      m.delay = static_cast<int>(in.take(1));
      GameSetup setup;
      if (!in.ok() || !NetGame::readSetup(in.here(), in.left(), setup)) return false;
      m.setup.assign(in.here(), in.here() + in.left());
      return true;
    }
    case FeedType::Ticks: {
      m.first = static_cast<uint32_t>(in.take(4));
      m.available = static_cast<uint32_t>(in.take(4));
      uint32_t count = 0;
      return in.ok() && decodeTicks(in, m.ticks, room, count);
    }
    case FeedType::End: {
      WatchedEnd& told = m.end;
      told.end = static_cast<MatchEnd>(in.take(1));
      told.passes = static_cast<uint32_t>(in.take(4));
      told.tick = static_cast<uint32_t>(in.take(4));
      told.winner = static_cast<int>(in.take(1)) - 1;
      told.leaver = static_cast<int>(in.take(1)) - 1;
      return in.atEnd() && told.end <= MatchEnd::BadSetup && told.winner <= 1 && told.leaver <= 1;
    }
    case FeedType::Closed:
    case FeedType::Full:
      return in.ok();
    case FeedType::Seen:
      break;
  }
  return false;
}

}  // namespace

std::string finishNetReplay(Replay& replay, uint32_t passes, Game& game) {
  replay.cutAt(passes);
  ReplayRun run = playReplay(replay);
  if (!run.over && !run.partedAt) {
    PassInput stop;
    stop.add(0, Command::AbortGame);
    replay.addPass(0, stop);
    run = playReplay(replay);
  }
  replay.finish(run.game);
  game = run.game;
  return run.parting;
}

// ---- the host's side

struct WatchFeed::Served {
  std::vector<uint8_t> setup;
  int toldDelay = 0;  // seconds, as the watchers are told
  std::vector<TickInputs> ticks;
  bool ended = false;
  WatchedEnd end;
  int64_t endedAt = 0;
  // When a held-back feed saw how many ticks: the oldest only as old as the delay needs.
  std::deque<std::pair<int64_t, uint32_t>> marks;
};

struct WatchFeed::Place {
  Link* link;
  uint32_t game;      // the game it is shown
  bool told = false;  // of that game's setup
  uint32_t sent = 0;  // ticks of it sent
  uint32_t seen = 0;  // ticks of it the watcher said it has
  bool endSent = false;
  int64_t progressAt;  // when it last said it had more
  bool leaving = false;
  int64_t partingAt = -1;  // told all (or turned away): waits for the watcher to hang up
  int64_t sentAt = -BatchMs;
};

WatchFeed::WatchFeed(int delaySeconds, size_t most)
    : delayMs(std::clamp(delaySeconds, 0, MostDelaySeconds) * MsPerSecond), most(most) {}

WatchFeed::~WatchFeed() = default;

size_t WatchFeed::gamesHeld() const {
  return games.size();
}

bool WatchFeed::serves(const Link& link) const {
  return std::any_of(places.begin(), places.end(),
                     [&](const Place& place) { return place.link == &link; });
}

size_t WatchFeed::watchers() const {
  return std::count_if(places.begin(), places.end(),
                       [](const Place& place) { return place.partingAt < 0; });
}

bool WatchFeed::toldAll() const {
  uint32_t ended = firstGame + static_cast<uint32_t>(games.size());
  if (!games.empty() && !games.back().ended) --ended;
  return std::all_of(places.begin(), places.end(), [&](const Place& place) {
    return place.partingAt >= 0 || place.game >= ended;
  });
}

void WatchFeed::add(Link& link, int64_t time) {
  if (watchers() >= most) {
    ++stats_.turnedAway;
    std::string why = WatchersFullText;
    std::vector<uint8_t> full = message(FeedType::Full, 0);
    full.insert(full.end(), why.begin(), why.end());
    link.send(Channel::Reliable, full.data(), full.size());
    stats_.bytesSent += full.size();
    if (places.size() >= 2 * most) {
      link.close();
      return;
    }
    places.push_back(Place{&link, 0, false, 0, 0, false, time, false, time});
    return;
  }
  // Shown the game on now; once that has ended, the next one.
  uint32_t game = firstGame + static_cast<uint32_t>(games.size());
  if (!games.empty() && !games.back().ended) --game;
  places.push_back(Place{&link, game, false, 0, 0, false, time, false});
}

void WatchFeed::beginGame(const GameSetup& setup) {
  beginGame(NetGame::setupBytes(setup), static_cast<int>(delayMs / MsPerSecond));
}

void WatchFeed::beginGame(const std::vector<uint8_t>& setup, int toldDelaySeconds) {
  Served game;
  game.setup = setup;
  game.toldDelay = toldDelaySeconds;
  games.push_back(std::move(game));
  forgetOldGames();
}

void WatchFeed::confirmed(uint32_t tick, const TickInputs& inputs) {
  if (games.empty() || games.back().ended || tick != games.back().ticks.size()) return;
  Served& game = games.back();
  game.ticks.push_back(inputs);
  if (delayMs > 0 && (game.marks.empty() || now - game.marks.back().first >= MarkEveryMs))
    game.marks.emplace_back(now, static_cast<uint32_t>(game.ticks.size()));
  else if (delayMs > 0)
    game.marks.back().second = static_cast<uint32_t>(game.ticks.size());
}

void WatchFeed::endGame(const WatchedEnd& end) {
  if (games.empty() || games.back().ended) return;
  Served& game = games.back();
  game.ended = true;
  game.end = end;
  game.endedAt = now;
}

void WatchFeed::close() {
  if (closed) return;
  // A game the players' connection ended under ends there for the watchers too.
  if (!games.empty() && !games.back().ended) {
    WatchedEnd gone;
    gone.end = MatchEnd::Gone;
    gone.passes = gone.tick = static_cast<uint32_t>(games.back().ticks.size());
    endGame(gone);
  }
  closed = true;
  closedAt = now;
}

// Ticks of `game` the watchers may have by now: all of them, or those the players had a
// delay ago.
uint32_t WatchFeed::released(const Served& game, int64_t time) const {
  uint32_t all = static_cast<uint32_t>(game.ticks.size());
  if (delayMs == 0 || (game.ended && time - game.endedAt >= delayMs)) return all;
  uint32_t out = 0;
  for (const auto& mark : game.marks)
    if (time - mark.first >= delayMs) out = mark.second;
  return out;
}

void WatchFeed::send(Place& place, const std::vector<uint8_t>& bytes) {
  place.link->send(Channel::Reliable, bytes.data(), bytes.size());
  stats_.bytesSent += bytes.size();
}

void WatchFeed::poll(int64_t time) {
  now = time;
  // Marks older than the delay are needed no more, but for the newest of them.
  for (Served& game : games)
    while (game.marks.size() > 1 && now - game.marks[1].first >= delayMs) game.marks.pop_front();
  for (Place& place : places) serve(place, now);
  places.erase(std::remove_if(places.begin(), places.end(),
                              [](const Place& place) { return place.leaving; }),
               places.end());
  forgetOldGames();
}

void WatchFeed::serve(Place& place, int64_t time) {
  Link& link = *place.link;
  if (place.partingAt >= 0) {
    if (link.gone() || time - place.partingAt > PartingMs) {
      link.close();
      place.leaving = true;
    }
    return;
  }
  std::vector<uint8_t> packet;
  while (link.receive(packet)) {
    LittleEndianReader in(packet.data(), packet.size());
    bool seen = in.take(1) == WatchMarker && in.take(1) == static_cast<uint8_t>(FeedType::Seen);
    uint32_t game = static_cast<uint32_t>(in.take(4));
    uint32_t ticks = static_cast<uint32_t>(in.take(4));
    // Inputs, setups, digests or anything else: nothing a watcher says reaches the game.
    if (!seen || !in.atEnd()) {
      ++stats_.refused;
      continue;
    }
    if (game == place.game && ticks > place.seen && ticks <= place.sent) {
      place.seen = ticks;
      place.progressAt = time;
    }
  }
  if (link.gone()) {
    place.leaving = true;
    return;
  }
  // One that reads nothing of what it was sent (or cannot keep up) is let go: the players
  // never wait for it and it holds no more than its window meanwhile.
  if (place.sent > place.seen && time - place.progressAt > StallLimitMs) {
    ++stats_.dropped;
    link.close();
    place.leaving = true;
    return;
  }
  while (place.game < firstGame + games.size()) {
    Served& game = games[place.game - firstGame];
    if (!place.told) {
      std::vector<uint8_t> out = message(FeedType::Game, place.game);
      putLittleEndian(out, released(game, time), 4);
      out.push_back(static_cast<uint8_t>(game.toldDelay));
      out.insert(out.end(), game.setup.begin(), game.setup.end());
      send(place, out);
      place.told = true;
      place.progressAt = time;
    }
    uint32_t until = std::min(released(game, time), place.seen + WindowTicks);
    bool due = time - place.sentAt >= BatchMs || until - place.sent >= CatchUpReport ||
               (game.ended && until == game.ticks.size());
    while (due && place.sent < until) {
      place.sentAt = time;
      std::vector<uint8_t> out = message(FeedType::Ticks, place.game);
      putLittleEndian(out, place.sent, 4);
      putLittleEndian(out, until, 4);
      place.sent = encodeTicks(game.ticks, place.sent, until, out, MostTickBytes);
      send(place, out);
    }
    if (!game.ended || place.sent < game.ticks.size() || released(game, time) < place.sent ||
        (delayMs > 0 && time - game.endedAt < delayMs))
      return;
    if (!place.endSent) {
      std::vector<uint8_t> out = message(FeedType::End, place.game);
      const WatchedEnd& end = game.end;
      out.push_back(static_cast<uint8_t>(end.end));
      putLittleEndian(out, end.passes, 4);
      putLittleEndian(out, end.tick, 4);
      out.push_back(static_cast<uint8_t>(end.winner + 1));
      out.push_back(static_cast<uint8_t>(end.leaver + 1));
      send(place, out);
      place.endSent = true;
    }
    // The next game waits until this one is all there.
    if (place.seen < place.sent) return;
    ++place.game;
    place.told = false;
    place.sent = place.seen = 0;
    place.endSent = false;
  }
  if (closed && (delayMs == 0 || time - closedAt >= delayMs)) {
    std::vector<uint8_t> out = message(FeedType::Closed, place.game);
    send(place, out);
    place.partingAt = time;
  }
}

// A game every watcher has gone past, with a newer one after it, is needed no more.
void WatchFeed::forgetOldGames() {
  while (games.size() > 1 && games.front().ended &&
         std::all_of(places.begin(), places.end(),
                     [&](const Place& place) { return place.game > firstGame; })) {
    games.pop_front();
    ++firstGame;
  }
}

// ---- the watcher's side

Watcher::Watcher(Link& link, std::string program) : link(link), program(std::move(program)) {}

bool Watcher::nextEvent(WatchEvent& event) {
  if (events.empty()) return false;
  event = events.front();
  events.pop_front();
  return true;
}

std::vector<HeardSound> Watcher::takeSounds() {
  std::vector<HeardSound> heard;
  heard.swap(netGame.sounds);
  return heard;
}

void Watcher::poll(int64_t now, bool following) {
  if (done_) return;
  std::vector<uint8_t> packet;
  while (!done_ && link.receive(packet)) {
    bytesIn += packet.size();
    take(packet);
  }
  if (done_) return;
  stepHeld(following);
  bool due = now - reportedAt >= ReportEveryMs || received - reported >= CatchUpReport ||
             endHeard || reported == UINT32_MAX;
  if (started_ && received != reported && due && held.size() < MostHeldTicks) {
    reportedAt = now;
    std::vector<uint8_t> out = message(FeedType::Seen, gameNumber);
    putLittleEndian(out, received, 4);
    link.send(Channel::Reliable, out.data(), out.size());
    reported = received;
  }
  if (!done_ && link.gone()) {
    done_ = true;
    events.push_back(WatchEvent{WatchEvent::Type::Lost, {}});
  }
}

void Watcher::take(const std::vector<uint8_t>& packet) {
  FeedMessage m;
  if (!readFeed(packet, m, MostHeldTicks - held.size())) {
    ++refused;
    return;
  }
  switch (m.type) {
    case FeedType::Game:
      if (inGame && !endHeard) break;  // a host that skips an end is not followed
      stepHeld(true);                  // the last game is finished before the next one starts
      netGame.begin(m.setup.data(), m.setup.size());
      gameNumber = m.game;
      edge = m.available;
      delay_ = m.delay;
      inGame = true;
      endHeard = false;
      live = false;
      held.clear();
      received = stepped = 0;
      reported = UINT32_MAX;
      kept = Replay();
      kept.program = program;
      kept.setup = netGame.game.setup;
      started_ = true;
      events.push_back(WatchEvent{WatchEvent::Type::Started, {}});
      return;
    case FeedType::Ticks:
      if (!inGame || endHeard || m.game != gameNumber || m.first != received) break;
      received += static_cast<uint32_t>(m.ticks.size());
      held.insert(held.end(), m.ticks.begin(), m.ticks.end());
      edge = std::max(edge, m.available);
      return;
    case FeedType::End:
      if (!inGame || endHeard || m.game != gameNumber) break;
      end = m.end;
      endHeard = true;
      return;
    case FeedType::Closed:
      stepHeld(true);
      done_ = true;
      link.close();
      events.push_back(WatchEvent{WatchEvent::Type::Closed, {}});
      return;
    case FeedType::Full:
      done_ = true;
      link.close();
      events.push_back(WatchEvent{WatchEvent::Type::TurnedAway, {}});
      return;
    case FeedType::Seen:
      break;
  }
  ++refused;
}

void Watcher::stepHeld(bool following) {
  if (!inGame || !following) return;
  bool catchingUp = held.size() > HeardWithin;
  while (!held.empty()) {
    netGame.step(stepped, held.front(), !catchingUp);
    kept.record(tickLength(stepped), NetGame::passOf(held.front()), netGame.game);
    held.pop_front();
    if (eachTick) eachTick(stepped, netGame.game);
    ++stepped;
  }
  if (!live && (stepped >= edge || endHeard)) {
    live = true;
    events.push_back(WatchEvent{WatchEvent::Type::Live, {}});
  }
  if (endHeard && stepped == received) finishGame();
}

void Watcher::finishGame() {
  inGame = false;
  kept.seat = 0;
  kept.leaver = end.leaver;
  Game ended;
  parting = finishNetReplay(kept, end.passes, ended);
  netGame.game = ended;
  WatchEvent event{WatchEvent::Type::Ended, end};
  events.push_back(event);
}

// ---- the server's side

FeedRelay::FeedRelay(Link& host, size_t most, uint32_t mostTicks)
    : feed(0, most), host(host), mostTicks(mostTicks) {}

void FeedRelay::poll(int64_t now) {
  std::vector<uint8_t> packet;
  while (!hostLeft && host.receive(packet))
    if (!take(packet)) {
      // A host that breaks its feed is shown no longer: its watchers see the end as if
      // the players' connection had ended.
      host.close();
      hostLeft = true;
    }
  if (!hostLeft && host.gone()) hostLeft = true;
  if (hostLeft) feed.close();
  // As a watcher says it, so that the host sends on.
  bool due = now - reportedAt >= ReportEveryMs || received - reported >= CatchUpReport ||
             endHeard || reported == UINT32_MAX;
  if (!hostLeft && inGame && received != reported && due) {
    reportedAt = now;
    std::vector<uint8_t> out = message(FeedType::Seen, gameNumber);
    putLittleEndian(out, received, 4);
    host.send(Channel::Reliable, out.data(), out.size());
    reported = received;
  }
  feed.poll(now);
}

bool FeedRelay::take(const std::vector<uint8_t>& packet) {
  FeedMessage m;
  if (!readFeed(packet, m, mostTicks - received)) return false;
  switch (m.type) {
    case FeedType::Game:
      if (inGame && !endHeard) return false;
      feed.beginGame(m.setup, m.delay);
      if (feed.gamesHeld() > MostGamesHeld) return false;
      gameNumber = m.game;
      inGame = true;
      endHeard = false;
      received = 0;
      reported = UINT32_MAX;
      return true;
    case FeedType::Ticks:
      if (!inGame || endHeard || m.game != gameNumber || m.first != received) return false;
      for (const TickInputs& inputs : m.ticks) feed.confirmed(received++, inputs);
      return true;
    case FeedType::End:
      if (!inGame || endHeard || m.game != gameNumber) return false;
      feed.endGame(m.end);
      endHeard = true;
      return true;
    case FeedType::Closed:
      host.close();
      hostLeft = true;
      return true;
    case FeedType::Full:
    case FeedType::Seen:
      break;
  }
  return false;
}
