#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The two kinds of delivery a session needs. Unreliable packets may be lost, doubled or
// reordered; reliable ones arrive once each and in the order sent.
enum class Channel : uint8_t {
  Unreliable = 0,
  Reliable = 1,
};

// Whatever carries a session's bytes to the other side: a simulated link in tests, a
// socket library in the game. Never blocks.
class Transport {
public:
  virtual ~Transport() = default;
  virtual void send(Channel channel, const uint8_t* data, size_t size) = 0;
  // Takes the next packet that has arrived into `packet`; false when none has.
  virtual bool receive(std::vector<uint8_t>& packet) = 0;
};

// The connection a match is played over: a transport that is serviced every frame and knows
// when the other side is gone for good. How it was made (a host waiting on a port, a joiner,
// an introduction by a server) is no business of the match played over it.
class Link : public Transport {
public:
  // Takes what arrived and moves the connection on; call every frame.
  virtual void service(int64_t now) = 0;
  // The other side closed the connection, or it broke: nothing more will come.
  virtual bool gone() const = 0;
  // Says goodbye, so that the other side learns at once rather than by silence.
  virtual void close() = 0;
};
