#include "StreamLink.h"

namespace {
// Sequence numbers wrap: `a` comes before `b` when it is less than half the circle behind.
bool before(uint32_t a, uint32_t b) {
  return static_cast<int32_t>(a - b) < 0;
}
}  // namespace

StreamLink::StreamLink(const RelayToken& token, SendPart sendPart, int64_t now)
    : token_(token), sendPart_(std::move(sendPart)), now_(now), heardAt(now), sentAt(now) {}

void StreamLink::sendPart(uint8_t flags, uint32_t seq, const std::vector<uint8_t>& data,
                          int64_t now) {
  LobbyMessage m;
  m.type = LobbyType::Stream;
  m.token = token_;
  m.part.ack = expected;
  m.part.seq = seq;
  m.part.flags = flags;
  m.part.data = data;
  std::vector<uint8_t> datagram = encode(m);
  bytesSent_ += datagram.size();
  sendPart_(datagram);
  sentAt = now;
  ackDue = false;
}

void StreamLink::take(const StreamPart& part, int64_t now) {
  if (gone_) return;
  now_ = now;
  heardAt = now;
  heard_ = true;
  if (part.flags & StreamBye) {
    gone_ = true;
    return;
  }
  // An acknowledgement of parts never sent is a lie: it acknowledges nothing.
  if (!before(nextSeq, part.ack)) {
    while (!unacknowledged.empty() && before(unacknowledged.front().seq, part.ack))
      unacknowledged.pop_front();
    // The same wait told again and again, for nothing but to say so: the part it waits for
    // was lost, and those after it came.
    bool told = part.flags == 0 && part.ack == lastAck && !unacknowledged.empty();
    repeats = told ? repeats + 1 : 0;
    lastAck = part.ack;
    if (repeats >= RepeatsForResend && now - unacknowledged.front().sentAt >= ResendAgainMs) {
      Outgoing& lost = unacknowledged.front();
      lost.sentAt = now;
      sendPart(StreamCarries, lost.seq, lost.data, now);
      repeats = 0;
    }
  }
  if (!(part.flags & StreamCarries)) return;
  // A part is kept while there is room for it: the other end sends it again until it is
  // acknowledged, which is all the holding back it needs.
  ackDue = true;
  if (before(part.seq, expected) || waiting.size() + ahead.size() >= MostWaiting) return;
  if (part.seq != expected) {
    if (part.seq - expected < MostWaiting) ahead.emplace(part.seq, part.data);
    return;
  }
  waiting.push_back(part.data);
  ++expected;
  for (auto next = ahead.find(expected); next != ahead.end(); next = ahead.find(expected)) {
    waiting.push_back(std::move(next->second));
    ahead.erase(next);
    ++expected;
  }
}

void StreamLink::service(int64_t now) {
  now_ = now;
  if (gone_) return;
  if (now - heardAt > SilenceMs) {
    gone_ = true;
    return;
  }
  if (!unacknowledged.empty() && now - unacknowledged.front().sentAt >= ResendMs) {
    size_t burst = 0;
    for (Outgoing& out : unacknowledged) {
      if (burst++ == ResendBurst) break;
      out.sentAt = now;
      sendPart(StreamCarries, out.seq, out.data, now);
    }
  }
  if (ackDue || now - sentAt >= KeepAliveMs) sendPart(0, 0, {}, now);
}

void StreamLink::send(Channel, const uint8_t* data, size_t size) {
  if (gone_) return;
  // The other end keeps no more than this much unread: one that would have more, or that
  // stopped acknowledging, is let go rather than held for.
  if (size > MostStreamData || unacknowledged.size() >= MostUnacknowledged) {
    close();
    return;
  }
  unacknowledged.push_back(Outgoing{nextSeq++, std::vector<uint8_t>(data, data + size), now_});
  sendPart(StreamCarries, unacknowledged.back().seq, unacknowledged.back().data, now_);
}

bool StreamLink::receive(std::vector<uint8_t>& packet) {
  if (waiting.empty()) return false;
  packet = std::move(waiting.front());
  waiting.pop_front();
  return true;
}

void StreamLink::close() {
  if (gone_) return;
  sendPart(StreamBye, 0, {}, now_);
  gone_ = true;
}
