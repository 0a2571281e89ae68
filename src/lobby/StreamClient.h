#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "LobbyWire.h"
#include "StreamLink.h"

// A game's side of opening a stream with a Pigmora server: asks (a Show or a Watch) until
// the server opens the stream or says why not, proves it from where it asked, then carries
// it as a link. No socket: the caller hands it what the server sent and sends what it says.
class StreamClient : public Link {
public:
  enum class State {
    Asking,
    Open,
    Refused,        // `refusal` (and `refusedStamp`, the players' version) says why
    Silent,         // the server did not answer within AnswerLimitMs
    OtherProtocol,  // the server speaks another version of these messages
  };
  using SendDatagram = std::function<void(const std::vector<uint8_t>& datagram)>;

  static constexpr int64_t AnswerLimitMs = 5000;
  static constexpr int64_t AskAgainMs = 250;

  // `question` is a Show or a Watch; its nonce is this side's.
  StreamClient(const LobbyMessage& question, SendDatagram send);
  void start(int64_t now);
  // A datagram from the server.
  void take(const uint8_t* data, size_t size, int64_t now);

  void service(int64_t now) override;
  void send(Channel channel, const uint8_t* data, size_t size) override;
  bool receive(std::vector<uint8_t>& packet) override;
  bool gone() const override;
  void close() override;

  State state() const { return state_; }
  Refusal refusal() const { return refusal_; }
  uint32_t refusedStamp() const { return refusedStamp_; }

private:
  void ask(int64_t now);
  LobbyMessage question;
  SendDatagram sendDatagram;
  State state_ = State::Asking;
  Refusal refusal_ = Refusal::Full;
  uint32_t refusedStamp_ = 0;
  int64_t startedAt = 0, askedAt = 0;
  bool closed = false;
  std::unique_ptr<StreamLink> stream;
};
