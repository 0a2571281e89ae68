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
