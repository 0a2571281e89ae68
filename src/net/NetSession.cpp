#include "NetSession.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int64_t SyncPingIntervalMs = 50;  // pings to measure the round trip before the start
constexpr size_t SyncRoundTrips = 6;        // round trips measured before the host starts
constexpr int RoundTripPerDelayTick = 50;   // ms of round trip one tick of input delay covers
constexpr int MinInputDelay = 1;
constexpr int MaxInputDelay = 4;
constexpr int64_t ResendIntervalMs = 40;  // unacknowledged inputs go again (ticks send sooner)
// Ticks between packets while nothing is pressed: a guess of nothing is right anyway, so
// these inputs are in less of a hurry than a press.
constexpr uint32_t QuietSendTicks = 2;
// Ticks a late host counts of a guest that started without it; more is a bad packet.
constexpr uint32_t MaxStartTicks = 120;
constexpr int64_t KeepAliveMs = 200;       // something is sent at least this often
constexpr int64_t MaxCatchUpMs = 250;      // a late clock runs at most this much time fast
constexpr int64_t MaxRoundTripMs = 10000;  // longer "round trips" come from bad clocks
constexpr int64_t LingerMs = 10000;        // a finished side keeps answering this long
// Inputs this side may hold unacknowledged; the other side acknowledges far sooner.
constexpr uint32_t MaxUnacknowledged = 64;
// Inputs of the other side accepted ahead of our own tick.
constexpr uint32_t RemoteHorizon = 64;
// Time sync: a side this many ticks ahead stretches each tick by SlowDownMs until it is
// less than StopSlowingTicks ahead. Gentle enough that the game never seems to lurch.
constexpr double SlowDownAheadTicks = 1.0;
constexpr double StopSlowingTicks = 0.25;
constexpr int32_t SlowDownMs = 1;
constexpr double AgreeTicks = 1.0;
constexpr uint32_t AgreeAfterSamples = 8;
constexpr double AdvantageSmoothing = 1.0 / 16;  // weight of each new sample
constexpr double MaxAdvantageSample = 60;        // ticks; anything beyond is nonsense
constexpr double AdvantageUnit = 16;             // the wire carries 1/16 ticks
constexpr uint8_t NoEcho = 0xFF;                 // echoHold of a sender that heard nothing yet
constexpr size_t MaxHeldDigests = 16;
constexpr size_t MaxEvents = 64;

}  // namespace

int NetSession::inputDelayFor(int roundTripMs) {
  int ticks = (roundTripMs + RoundTripPerDelayTick / 2) / RoundTripPerDelayTick;
  return std::clamp(ticks, MinInputDelay, MaxInputDelay);
}

NetSession::NetSession(RollbackGame& game, Transport& transport, const SessionConfig& config,
                       int64_t now)
    : game(game),
      transport(transport),
      config(config),
      side(config.host ? 0 : 1),
      now(now),
      createdAt(now),
      lastProgressAt(now),
      lastSendAt(now),
      lastPingAt(now - SyncPingIntervalMs) {}

void NetSession::push(const SessionEvent& event) {
  if (events.size() < MaxEvents || event.type == SessionEventType::Ended) events.push_back(event);
}

bool NetSession::nextEvent(SessionEvent& event) {
  if (events.empty()) return false;
  event = events.front();
  events.pop_front();
  return true;
}

bool NetSession::done() const {
  if (phase_ != Phase::Ended) return false;
  if (endReason != EndReason::GameOver) return true;
  return remoteAck > endTick || now >= lingerUntil;
}

void NetSession::send(Channel channel, const NetMessage& message) {
  std::vector<uint8_t> bytes;
  encodeMessage(message, bytes);
  transport.send(channel, bytes.data(), bytes.size());
  stats_.bytesSent += bytes.size();
  stats_.packetsSent += 1;
  lastSendAt = now;
}

void NetSession::poll(int64_t time) {
  now = time;
  std::vector<uint8_t> packet;
  NetMessage message;
  while (transport.receive(packet)) {
    stats_.bytesReceived += packet.size();
    stats_.packetsReceived += 1;
    if (!decodeMessage(packet.data(), packet.size(), config.commandLimit, message)) {
      stats_.badPackets += 1;
      continue;
    }
    if (phase_ == Phase::Syncing) progressed();
    handle(message);
  }

  if (phase_ == Phase::Ended) {
    if (!done() && now - lastSendAt >= ResendIntervalMs) sendInputs();
    return;
  }
  int64_t stuck = now - lastProgressAt;
  if (phase_ == Phase::Syncing ? now - createdAt >= StartLimitMs : stuck >= LostAfterMs) {
    finish(EndReason::Lost, current, false);
    return;
  }
  if (stuck >= InterruptedAfterMs && !interrupted) {
    interrupted = true;
    push({SessionEventType::Interrupted, current});
  }

  if (phase_ == Phase::Syncing) {
    if (now - lastPingAt >= SyncPingIntervalMs) {
      NetMessage ping;
      ping.type = NetMessageType::Ping;
      ping.time = static_cast<uint32_t>(now);
      send(Channel::Unreliable, ping);
      lastPingAt = now;
    }
    if (config.host && !setupSent && syncRoundTrips.size() >= SyncRoundTrips) {
      std::vector<int64_t> sorted = syncRoundTrips;
      std::sort(sorted.begin(), sorted.end());
      roundTrip = static_cast<int>(sorted[sorted.size() / 2]);
      delay = inputDelayFor(roundTrip);
      if (!game.begin(config.setup.data(), config.setup.size())) {
        finish(EndReason::BadSetup, 0, false);
        return;
      }
      NetMessage setup;
      setup.type = NetMessageType::Setup;
      setup.roundTrip = static_cast<uint16_t>(roundTrip);
      setup.inputDelay = static_cast<uint8_t>(delay);
      setup.setup = config.setup;
      send(Channel::Reliable, setup);
      setupSent = true;
    }
    return;
  }

  settle();
  if (phase_ != Phase::Running) return;
  bool unacknowledged = remoteAck < localNext;
  if (now - lastSendAt >= (unacknowledged ? ResendIntervalMs : KeepAliveMs)) sendInputs();
}

void NetSession::progressed() {
  lastProgressAt = now;
  if (interrupted) {
    interrupted = false;
    push({SessionEventType::Resumed, current});
  }
}

void NetSession::noteRoundTrip(int64_t sample) {
  if (sample < 0 || sample > MaxRoundTripMs) return;
  if (phase_ == Phase::Syncing) syncRoundTrips.push_back(sample);
  if (syncRoundTrips.size() > 2 * SyncRoundTrips) syncRoundTrips.erase(syncRoundTrips.begin());
  roundTrip =
      roundTrip == 0 ? static_cast<int>(sample) : static_cast<int>((roundTrip * 7 + sample) / 8);
  stats_.roundTripMs = roundTrip;
}

void NetSession::handle(const NetMessage& m) {
  switch (m.type) {
    case NetMessageType::Ping: {
      NetMessage pong;
      pong.type = NetMessageType::Pong;
      pong.time = m.time;
      send(Channel::Unreliable, pong);
      break;
    }
    case NetMessageType::Pong:
      noteRoundTrip(static_cast<uint32_t>(static_cast<uint32_t>(now) - m.time));
      break;
    case NetMessageType::Setup:
      if (config.host || phase_ != Phase::Syncing) break;
      delay = std::clamp(static_cast<int>(m.inputDelay), MinInputDelay, MaxInputDelay);
      if (roundTrip == 0) roundTrip = m.roundTrip;
      stats_.roundTripMs = roundTrip;
      if (!game.begin(m.setup.data(), m.setup.size())) {
        finish(EndReason::BadSetup, 0, false);
        break;
      }
      {
        NetMessage ack;
        ack.type = NetMessageType::SetupAck;
        send(Channel::Reliable, ack);
      }
      start(now);
      break;
    case NetMessageType::SetupAck:
      // The guest started when the setup reached it, half a round trip ago.
      if (config.host && phase_ == Phase::Syncing && setupSent) start(now - roundTrip / 2);
      break;
    case NetMessageType::Inputs:
      if (phase_ == Phase::Syncing && config.host && setupSent) {
        // The guest plays already and its acknowledgement is late: start level with it,
        // by the ticks it has stepped.
        int64_t guestElapsed = 0;
        for (uint32_t t = 0; t < std::min(m.senderTick, MaxStartTicks); ++t)
          guestElapsed += game.tickLength(t);
        start(now - roundTrip / 2 - guestElapsed);
      }
      if (phase_ != Phase::Syncing) handleInputs(m);
      break;
    case NetMessageType::Digest:
      if (phase_ != Phase::Syncing) noteDigest(remoteDigests, localDigests, m.tick, m.digest);
      break;
    case NetMessageType::Ending:
      // A side confirms the end only with every input of ours up to it.
      if (m.reason == EndReason::GameOver && m.tick < localNext)
        remoteAck = std::max(remoteAck, m.tick + 1);
      if (phase_ == Phase::Ended) {
        if (endReason == EndReason::GameOver && m.reason == EndReason::GameOver &&
            (m.tick != endTick || m.digest != digestAfter[endTick % Ring]))
          reportDesync(std::min(m.tick, endTick));
      } else if (m.reason == EndReason::GameOver) {
        // Reached here once the inputs before it have arrived; see confirm().
        remoteEnded = true;
        remoteEndTick = m.tick;
        remoteEndDigest = m.digest;
        if (remoteEndTick < confirmedNext) {
          // Ours went on past the tick where theirs ended.
          reportDesync(remoteEndTick);
          finish(EndReason::GameOver, remoteEndTick, true);
        }
      } else {
        finish(m.reason, m.tick, true);
      }
      break;
  }
}

void NetSession::start(int64_t firstTickAt) {
  phase_ = Phase::Running;
  startedAt = now;
  stats_.inputDelay = delay;
  // Nobody presses anything in the ticks before the first input can take effect.
  current = confirmedNext = steppedNext = 0;
  localNext = remoteNext = remoteAck = static_cast<uint32_t>(delay);
  for (int t = 0; t < delay; ++t) localInputs[t] = remoteInputs[t] = TickInput();
  nextTickAt = firstTickAt;
  push({SessionEventType::Started, 0});
  progressed();
}

void NetSession::handleInputs(const NetMessage& m) {
  if (m.echoHold != NoEcho)
    noteRoundTrip(static_cast<uint16_t>(static_cast<uint16_t>(now) - m.echoTime) -
                  static_cast<int64_t>(m.echoHold));
  heardRemoteClock = true;
  remoteClock = m.sendTime;
  remoteClockAt = now;
  if (m.ack > remoteAck && m.ack <= localNext) {
    remoteAck = m.ack;
    progressed();
  }
  if (phase_ != Phase::Running) return;

  uint32_t remoteBefore = remoteNext;
  for (int i = 0; i < m.inputCount; ++i) {
    uint64_t t = static_cast<uint64_t>(m.firstTick) + i;
    if (t < remoteNext) continue;
    if (t > remoteNext || t >= static_cast<uint64_t>(current) + RemoteHorizon) break;
    remoteInputs[t % Ring] = m.inputs[i];
    // Ticks stepped already were stepped on the guess that nothing was pressed.
    if (t < current && !m.inputs[i].empty())
      rollbackFrom = std::min(rollbackFrom, static_cast<uint32_t>(t));
    remoteNext += 1;
  }
  if (remoteNext != remoteBefore) progressed();

  // Both sides' views of the gap include the packet's travel time; half their difference
  // does not.
  double ahead = static_cast<double>(current) - static_cast<double>(m.senderTick);
  ahead = std::clamp(ahead, -MaxAdvantageSample, MaxAdvantageSample);
  localAdvantage += (ahead - localAdvantage) * (advantageSamples == 0 ? 1 : AdvantageSmoothing);
  remoteAdvantage =
      std::clamp(m.advantage / AdvantageUnit, -MaxAdvantageSample, MaxAdvantageSample);
  advantageSamples += 1;
  double offset = (localAdvantage - remoteAdvantage) / 2;
  if (offset > SlowDownAheadTicks) slowing = true;
  if (offset < StopSlowingTicks) slowing = false;
  if (stats_.agreedAfterMs < 0 && advantageSamples >= AgreeAfterSamples &&
      std::fabs(offset) <= AgreeTicks)
    stats_.agreedAfterMs = now - startedAt;
}

bool NetSession::ready() {
  if (phase_ != Phase::Running) return false;
  nextTickAt = std::max(nextTickAt, now - MaxCatchUpMs);
  if (now < nextTickAt) return false;
  if (current >= remoteNext + MaxPredictedTicks || localNext - remoteAck >= MaxUnacknowledged) {
    if (!stalling) {
      stalling = true;
      stallSince = nextTickAt;
    }
    return false;
  }
  return true;
}

void NetSession::advance(const TickInput& local) {
  settle();
  if (!ready()) return;
  if (stalling) {
    stalling = false;
    int64_t stall = now - stallSince;
    stats_.stalls += 1;
    stats_.longestStallMs = std::max(stats_.longestStallMs, stall);
    stats_.totalStallMs += stall;
  }
  TickInput& slot = localInputs[localNext % Ring];
  slot = TickInput();
  for (int i = 0; i < local.count; ++i)
    if (local.commands[i] < config.commandLimit) slot.add(local.commands[i]);
  localNext += 1;

  stepTick(current);
  nextTickAt += game.tickLength(current) + (slowing ? SlowDownMs : 0);
  if (slowing) stats_.slowedTicks += 1;
  current += 1;
  confirm();
  quietTicks += 1;
  if (phase_ == Phase::Running && (!local.empty() || quietTicks >= QuietSendTicks)) sendInputs();
}

void NetSession::settle() {
  if (phase_ != Phase::Running) return;
  if (rollbackFrom < current) {
    uint32_t depth = current - rollbackFrom;
    stats_.rollbacks += 1;
    stats_.rollbackDepths[std::min<uint32_t>(depth, MaxPredictedTicks)] += 1;
    stats_.resteppedTicks += depth;
    game.load(static_cast<int>(rollbackFrom % RollbackGame::StateSlots));
    for (uint32_t t = rollbackFrom; t < current; ++t) stepTick(t);
  }
  rollbackFrom = NoRollback;
  confirm();
}

TickInputs NetSession::inputsFor(uint32_t t) const {
  TickInputs inputs;
  inputs.side[side] = localInputs[t % Ring];
  if (t < remoteNext) inputs.side[1 - side] = remoteInputs[t % Ring];
  return inputs;
}

void NetSession::stepTick(uint32_t t) {
  game.save(static_cast<int>(t % RollbackGame::StateSlots));
  bool firstTime = t >= steppedNext;
  bool over = game.step(t, inputsFor(t), firstTime);
  if (firstTime) steppedNext = t + 1;
  overAfter[t % Ring] = over;
  if ((t + 1) % DigestInterval == 0 || over) digestAfter[t % Ring] = game.digest();
}

void NetSession::confirm() {
  uint32_t limit = std::min(current, remoteNext);
  while (phase_ == Phase::Running && confirmedNext < limit) {
    uint32_t t = confirmedNext++;
    game.confirmed(t, inputsFor(t));
    if ((t + 1) % DigestInterval == 0) {
      NetMessage digest;
      digest.type = NetMessageType::Digest;
      digest.tick = t;
      digest.digest = digestAfter[t % Ring];
      send(Channel::Reliable, digest);
      noteDigest(localDigests, remoteDigests, t, digest.digest);
    }
    if (overAfter[t % Ring]) {
      if (remoteEnded && (remoteEndTick != t || remoteEndDigest != digestAfter[t % Ring]))
        reportDesync(std::min(t, remoteEndTick));
      NetMessage ending;
      ending.type = NetMessageType::Ending;
      ending.reason = EndReason::GameOver;
      ending.tick = t;
      ending.digest = digestAfter[t % Ring];
      send(Channel::Reliable, ending);
      finish(EndReason::GameOver, t, false);
    } else if (remoteEnded && t >= remoteEndTick) {
      // The other side's game ended here and ours goes on.
      reportDesync(remoteEndTick);
      finish(EndReason::GameOver, remoteEndTick, true);
    }
  }
}

void NetSession::noteDigest(std::map<uint32_t, uint64_t>& digests,
                            std::map<uint32_t, uint64_t>& others, uint32_t tick, uint64_t digest) {
  auto other = others.find(tick);
  if (other != others.end()) {
    if (other->second != digest) reportDesync(tick);
    others.erase(other);
    return;
  }
  digests[tick] = digest;
  if (digests.size() > MaxHeldDigests) digests.erase(digests.begin());
}

void NetSession::reportDesync(uint32_t tick) {
  if (desyncReported) return;
  desyncReported = true;
  push({SessionEventType::Desync, tick});
}

void NetSession::finish(EndReason reason, uint32_t tick, bool byRemote) {
  if (phase_ == Phase::Ended) return;
  // The end of a game the rules finished is sent by confirm(), with its digest.
  if (!byRemote && reason != EndReason::GameOver) {
    NetMessage ending;
    ending.type = NetMessageType::Ending;
    ending.reason = reason;
    ending.tick = tick;
    send(Channel::Reliable, ending);
  }
  phase_ = Phase::Ended;
  endReason = reason;
  endTick = tick;
  lingerUntil = now + LingerMs;
  if (stalling) stalling = false;
  push({SessionEventType::Ended, tick, reason, byRemote});
}

void NetSession::abandon() {
  if (phase_ != Phase::Ended) finish(EndReason::Abandoned, current, false);
}

void NetSession::sendInputs() {
  quietTicks = 0;
  NetMessage m;
  m.type = NetMessageType::Inputs;
  m.sendTime = static_cast<uint16_t>(now);
  if (heardRemoteClock) {
    m.echoTime = remoteClock;
    m.echoHold = static_cast<uint8_t>(std::min<int64_t>(now - remoteClockAt, NoEcho - 1));
  } else {
    m.echoHold = NoEcho;
  }
  m.ack = remoteNext;
  m.senderTick = current;
  m.advantage = static_cast<int8_t>(
      std::clamp<long>(std::lround(localAdvantage * AdvantageUnit), INT8_MIN, INT8_MAX));
  m.firstTick = remoteAck;
  uint32_t count = std::min<uint32_t>(localNext - remoteAck, MaxInputsPerPacket);
  m.inputCount = static_cast<uint8_t>(count);
  for (uint32_t i = 0; i < count; ++i) m.inputs[i] = localInputs[(remoteAck + i) % Ring];
  send(Channel::Unreliable, m);
}
