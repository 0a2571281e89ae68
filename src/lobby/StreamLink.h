#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <vector>

#include "LobbyWire.h"
#include "Transport.h"

// One end of a stream between the server and a game: packets that arrive once each and in
// order, carried as lobby datagrams under a token the server gave out. The receiver keeps
// parts that overtook a missing one (within its room) and says at once which it waits for;
// the sender sends that one again when told twice, and any not acknowledged in time again
// from the first. What a watch feed needs: a few packets a second, in order, late at worst,
// never lost. A stream that hears nothing for SilenceMs is gone.
class StreamLink : public Link {
public:
  using SendPart = std::function<void(const std::vector<uint8_t>& datagram)>;

  // Parts sent and not yet acknowledged, at most; a sender that would go past this is
  // closed (the other end stopped reading): the feed over it keeps far fewer on their way.
  static constexpr size_t MostUnacknowledged = 512;
  // Packets received and not yet read, those held for a missing one before them among them.
  static constexpr size_t MostWaiting = 512;
  // Told this many times more that the other end waits for a part, the sender sends it again,
  // though not sooner than ResendAgainMs after it last did (a round trip on a good day).
  static constexpr int RepeatsForResend = 2;
  static constexpr int64_t ResendAgainMs = 50;
  // Unacknowledged parts go again this long after they were last sent.
  static constexpr int64_t ResendMs = 300;
  // Parts sent again at once, from the first missing, so that a lost one costs one burst.
  static constexpr size_t ResendBurst = 16;
  // A stream with nothing to say says so this often, so that the other end knows it lives.
  static constexpr int64_t KeepAliveMs = 1000;
  static constexpr int64_t SilenceMs = 10000;

  StreamLink(const RelayToken& token, SendPart sendPart, int64_t now);

  // A Stream message for this stream arrived (its token already checked by the caller).
  void take(const StreamPart& part, int64_t now);
  // Sends what is due: acknowledgements, parts again, a sign of life. Call every frame.
  void service(int64_t now) override;
  void send(Channel channel, const uint8_t* data, size_t size) override;
  bool receive(std::vector<uint8_t>& packet) override;
  bool gone() const override { return gone_; }
  // Says a word with nothing in it at once: what proves where a new stream's end is.
  void sayHello() { sendPart(0, 0, {}, now_); }
  // Tells the other end (one part, not acknowledged) and stops.
  void close() override;

  const RelayToken& token() const { return token_; }
  // Whether the other end has been heard on this stream since it opened.
  bool heard() const { return heard_; }
  uint64_t bytesSent() const { return bytesSent_; }

private:
  struct Outgoing {
    uint32_t seq;
    std::vector<uint8_t> data;
    int64_t sentAt;
  };
  void sendPart(uint8_t flags, uint32_t seq, const std::vector<uint8_t>& data, int64_t now);

  RelayToken token_;
  SendPart sendPart_;
  std::deque<Outgoing> unacknowledged;
  std::deque<std::vector<uint8_t>> waiting;
  std::map<uint32_t, std::vector<uint8_t>> ahead;  // came before one still missing
  uint32_t lastAck = 0;
  int repeats = 0;
  uint32_t nextSeq = 0;   // the next part of ours
  uint32_t expected = 0;  // the next part of theirs
  bool ackDue = false;
  int64_t now_ = 0;
  int64_t heardAt = 0;
  int64_t sentAt = 0;
  bool heard_ = false;
  bool gone_ = false;
  uint64_t bytesSent_ = 0;
};
