#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "SoundTestSupport.h"

namespace {

// Reads back the parts of a generated module that a player relies on, the way a
// tracker would: header, sample headers through their pointers, packed patterns.
struct ModuleReader {
  explicit ModuleReader(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  unsigned u8(size_t at) const { return at < bytes.size() ? bytes[at] : 0; }
  unsigned u16(size_t at) const { return u8(at) | u8(at + 1) << 8; }
  unsigned u32(size_t at) const { return u16(at) | u16(at + 2) << 16; }
  std::string text(size_t at, size_t n) const {
    return at + n <= bytes.size() ? std::string(bytes.begin() + at, bytes.begin() + at + n) : "";
  }
  unsigned orders() const { return u16(0x20); }
  unsigned samples() const { return u16(0x22); }
  unsigned patterns() const { return u16(0x24); }
  size_t sampleHeader(unsigned i) const { return u16(0x60 + orders() + 2 * i) * 16; }
  size_t pattern(unsigned i) const { return u16(0x60 + orders() + 2 * samples() + 2 * i) * 16; }

  struct Event {
    int row, channel, command, info;
  };
  // Unpacks a pattern; returns false when its rows do not end where its length says.
  bool unpack(unsigned index, std::vector<Event>& events) const {
    size_t at = pattern(index);
    size_t end = at + u16(at);
    at += 2;
    for (int row = 0; row < 64; ++row) {
      for (unsigned what = u8(at++); what != 0; what = u8(at++)) {
        if (at > end) return false;
        Event event{row, static_cast<int>(what & 31), 0, 0};
        if (what & 0x20) at += 2;
        if (what & 0x40) at += 1;
        if (what & 0x80) {
          event.command = static_cast<int>(u8(at));
          event.info = static_cast<int>(u8(at + 1));
          at += 2;
        }
        events.push_back(event);
      }
    }
    return at == end;
  }

  std::vector<unsigned char> bytes;
};

TEST(ModuleStructure, EveryModuleIsWellFormedAndJumpsBackToItsStart) {
  for (const char* module : {"ingame1.s3m", "ingame2.s3m", "menu.s3m"}) {
    SCOPED_TRACE(module);
    ModuleReader file(generatedSound(module));
    ASSERT_EQ(file.text(0x2c, 4), "SCRM");
    EXPECT_EQ(file.u8(0x1c), 0x1au);
    EXPECT_EQ(file.orders() % 2, 0u);
    // Bass, harmony, lead and percussion need several channels.
    int channels = 0;
    for (int c = 0; c < 32; ++c) channels += file.u8(0x40 + c) < 16;
    EXPECT_GE(channels, 8);

    EXPECT_GE(file.samples(), 7u);
    for (unsigned i = 0; i < file.samples(); ++i) {
      size_t header = file.sampleHeader(i);
      ASSERT_EQ(file.text(header + 0x4c, 4), "SCRS") << "sample " << i;
      unsigned length = file.u32(header + 0x10);
      size_t data = (file.u8(header + 0x0d) << 16 | file.u16(header + 0x0e)) * 16;
      bool sixteenBit = file.u8(header + 0x1f) & 4;
      EXPECT_LE(data + length * (sixteenBit ? 2 : 1), file.bytes.size()) << "sample " << i;
      if (file.u8(header + 0x1f) & 1) {
        EXPECT_LT(file.u32(header + 0x14), file.u32(header + 0x18));
        EXPECT_LE(file.u32(header + 0x18), length);
      }
    }

    // The order list ends on a pattern whose last row jumps to the first order.
    unsigned last = 0;
    for (unsigned i = 0; i < file.orders() && file.u8(0x60 + i) < 254; ++i)
      last = file.u8(0x60 + i);
    for (unsigned p = 0; p < file.patterns(); ++p) {
      std::vector<ModuleReader::Event> events;
      ASSERT_TRUE(file.unpack(p, events)) << "pattern " << p;
      bool jumps = false;
      for (const auto& event : events) jumps |= event.command == 2 && event.info == 0;
      EXPECT_EQ(jumps, p == last) << "pattern " << p;
    }
  }
}

}  // namespace
