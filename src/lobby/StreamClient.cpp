#include "StreamClient.h"

StreamClient::StreamClient(const LobbyMessage& question, SendDatagram send)
    : question(question), sendDatagram(std::move(send)) {}

void StreamClient::start(int64_t now) {
  startedAt = now;
  ask(now);
}

void StreamClient::ask(int64_t now) {
  sendDatagram(encode(question));
  askedAt = now;
}

void StreamClient::take(const uint8_t* data, size_t size, int64_t now) {
  LobbyMessage m;
  Decoded read = decode(data, size, m);
  if (read == Decoded::OtherProtocol && state_ == State::Asking) {
    state_ = State::OtherProtocol;
    return;
  }
  if (read != Decoded::Ok) return;
  if (m.type == LobbyType::Stream) {
    if (stream && m.token == stream->token()) stream->take(m.part, now);
    return;
  }
  if (state_ != State::Asking || m.nonce != question.nonce) return;
  if (m.type == LobbyType::Opened) {
    stream = std::make_unique<StreamLink>(m.token, sendDatagram, now);
    // The first word under the token proves this side asked from where it is.
    stream->sayHello();
    state_ = State::Open;
  } else if (m.type == LobbyType::Refused) {
    state_ = State::Refused;
    refusal_ = m.refusal;
    refusedStamp_ = m.stamp;
  }
}

void StreamClient::service(int64_t now) {
  if (state_ == State::Asking && !closed) {
    if (now - startedAt > AnswerLimitMs)
      state_ = State::Silent;
    else if (now - askedAt >= AskAgainMs)
      ask(now);
  }
  if (stream) stream->service(now);
}

void StreamClient::send(Channel channel, const uint8_t* data, size_t size) {
  if (stream) stream->send(channel, data, size);
}

bool StreamClient::receive(std::vector<uint8_t>& packet) {
  return stream && stream->receive(packet);
}

bool StreamClient::gone() const {
  return stream ? stream->gone() : closed || state_ != State::Asking;
}

void StreamClient::close() {
  closed = true;
  if (stream) stream->close();
}
