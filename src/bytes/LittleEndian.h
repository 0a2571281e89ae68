#pragma once

#include <cstddef>
#include <cstdint>

// Numbers in a fixed byte form, least significant byte first, whatever the machine: what
// saved states and network messages are made of.
template <class Out>
void putLittleEndian(Out& out, uint64_t value, size_t width) {
  for (size_t i = 0; i < width; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// Reads such numbers within the bounds it was given; once a read runs past them every later
// read yields 0 and ok() stays false, so a short or hostile buffer is never read beyond.
class LittleEndianReader {
public:
  LittleEndianReader(const uint8_t* data, size_t size) : data(data), size(size) {}

  uint64_t take(size_t width) {
    if (overrun || size - at < width) {
      overrun = true;
      return 0;
    }
    uint64_t value = 0;
    for (size_t i = 0; i < width; ++i) value |= static_cast<uint64_t>(data[at + i]) << (8 * i);
    at += width;
    return value;
  }
  // Marks the read as failed (a value out of its range), as an overrun does.
  void fail() { overrun = true; }
  bool ok() const { return !overrun; }
  bool atEnd() const { return !overrun && at == size; }
  size_t left() const { return overrun ? 0 : size - at; }
  const uint8_t* here() const { return data + at; }
  // Moves past `n` bytes read some other way (false, and nothing moved, beyond the end).
  bool skip(size_t n) {
    if (overrun || size - at < n) {
      overrun = true;
      return false;
    }
    at += n;
    return true;
  }

private:
  const uint8_t* data;
  size_t size;
  size_t at = 0;
  bool overrun = false;
};
