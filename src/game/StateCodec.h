#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "LittleEndian.h"

// Every type of the game's state lists its fields once, in `fields`; these visitors turn
// that list into a fixed byte form (for the digest, comparison and saved states) and
// back. Numbers are written little-endian at a fixed width, so padding bytes and the
// machine's own layout never reach a digest. The bytes go to a Sink: kept (ByteSink) or
// hashed as they come (HashSink, FNV-1a of 64 bits), which is what a digest needs.
struct ByteSink {
  std::vector<uint8_t> bytes;
  void put(uint8_t b) { bytes.push_back(b); }
};

struct HashSink {
  uint64_t hash = 1469598103934665603ull;
  void put(uint8_t b) {
    hash ^= b;
    hash *= 1099511628211ull;
  }
};

template <class Sink>
class StateEncoder {
public:
  Sink sink;

  template <class T>
  void operator()(const T& value) {
    if constexpr (std::is_enum_v<T>) {
      put(static_cast<int64_t>(value), 4);
    } else if constexpr (std::is_same_v<T, bool>) {
      put(value ? 1 : 0, 1);
    } else if constexpr (std::is_same_v<T, double>) {
      uint64_t bits;
      std::memcpy(&bits, &value, sizeof bits);
      put(static_cast<int64_t>(bits), 8);
    } else if constexpr (std::is_integral_v<T>) {
      put(static_cast<int64_t>(value), sizeof(T));
    } else if constexpr (std::is_array_v<T>) {
      for (const auto& item : value) (*this)(item);
    } else {
      const_cast<T&>(value).fields(*this);
    }
  }

  void count(const int32_t& n, int) { (*this)(n); }

private:
  // The sink takes bytes one at a time, as a container takes push_back.
  struct Bytes {
    Sink& sink;
    void push_back(uint8_t b) { sink.put(b); }
  };
  void put(int64_t value, size_t width) {
    Bytes bytes{sink};
    putLittleEndian(bytes, static_cast<uint64_t>(value), width);
  }
};

using StateWriter = StateEncoder<ByteSink>;

// Reads what a StateWriter wrote into a value of the same type; false when the bytes run
// out or a list claims more items than it can hold.
class StateReader {
public:
  StateReader(const uint8_t* data, size_t size) : bytes(data, size) {}
  bool ok() const { return bytes.atEnd(); }

  template <class T>
  void operator()(T& value) {
    if constexpr (std::is_enum_v<T>) {
      value = static_cast<T>(static_cast<int32_t>(get(4)));
    } else if constexpr (std::is_same_v<T, bool>) {
      value = get(1) != 0;
    } else if constexpr (std::is_same_v<T, double>) {
      uint64_t bits = get(8);
      std::memcpy(&value, &bits, sizeof bits);
    } else if constexpr (std::is_integral_v<T>) {
      uint64_t raw = get(sizeof(T));
      value = static_cast<T>(raw);
    } else if constexpr (std::is_array_v<T>) {
      for (auto& item : value) (*this)(item);
    } else {
      value.fields(*this);
    }
  }
  // A list's count is checked against its room before any item is read.
  void count(int32_t& n, int capacity) {
    (*this)(n);
    if (n < 0 || n > capacity) {
      bytes.fail();
      n = 0;
    }
  }

private:
  uint64_t get(size_t width) { return bytes.take(width); }
  LittleEndianReader bytes;
};

template <class T>
std::vector<uint8_t> serialise(const T& value) {
  StateWriter writer;
  writer(value);
  return std::move(writer.sink.bytes);
}

// The FNV-1a digest of the value's byte form.
template <class T>
uint64_t digestOf(const T& value) {
  StateEncoder<HashSink> hasher;
  hasher(value);
  return hasher.sink.hash;
}
