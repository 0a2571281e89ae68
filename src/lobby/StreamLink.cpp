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
  if (!before(nextSeq, part.ack))
    while (!unacknowledged.empty() && before(unacknowledged.front().seq, part.ack))
      unacknowledged.pop_front();
  if (!(part.flags & StreamCarries)) return;
  // Only the part waited for is taken, and only while there is room to keep it: the other
  // end sends it again until it is acknowledged, which is all the holding back it needs.
  if (part.seq == expected && waiting.size() < MostWaiting) {
    waiting.push_back(part.data);
    ++expected;
  }
  ackDue = true;
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
