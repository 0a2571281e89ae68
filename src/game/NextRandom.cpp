#include "NextRandom.h"

#include <random>

namespace {

// The classic generator adds its outputs at two lags, the longer also the length of its
// table; starting it fills the table from a minimal-standard sequence and throws the first ten
// rounds of the table away.
constexpr int LongLag = 31;
constexpr int ShortLag = 3;
constexpr int DiscardedRounds = 10;

// The table's first entry is the starting state itself (0 taken as 1), and each next one the
// minimal-standard generator's next number from it.
void fillTable(uint32_t state, int32_t (&table)[LongLag]) {
  const int32_t first = static_cast<int32_t>(state == 0 ? 1 : state);
  table[0] = first;
  using Minimal = std::minstd_rand0;
  const int64_t modulus = Minimal::modulus;
  const int64_t start = ((first % modulus) + modulus) % modulus;
  // A state that is a multiple of the modulus leaves nothing but zeros after it; the
  // engine would take such a state as 1 instead.
  Minimal minimal(static_cast<Minimal::result_type>(start));
  for (int i = 1; i < LongLag; ++i) table[i] = start == 0 ? 0 : static_cast<int32_t>(minimal());
}

}  // namespace

int firstClassicRandom(uint32_t state) {
  int32_t table[LongLag];
  fillTable(state, table);
  int front = ShortLag, rear = 0;
  uint32_t value = 0;
  for (int step = 0; step <= DiscardedRounds * LongLag; ++step) {
    value = static_cast<uint32_t>(table[front]) + static_cast<uint32_t>(table[rear]);
    table[front] = static_cast<int32_t>(value);
    front = (front + 1) % LongLag;
    rear = (rear + 1) % LongLag;
  }
  // The lowest bit is the least random: it is dropped.
  return static_cast<int>(value >> 1);
}

int nextRandom(uint32_t& state) {
  int r = firstClassicRandom(state);
  state = static_cast<uint32_t>(r);
  return r;
}
