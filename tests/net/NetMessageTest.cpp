#include <gtest/gtest.h>

#include "NetMessage.h"

namespace {

constexpr int Commands = 6;

NetMessage inputsMessage() {
  NetMessage m;
  m.type = NetMessageType::Inputs;
  m.sendTime = 12345;
  m.echoTime = 0xFFF0;
  m.echoHold = 17;
  m.ack = 40;
  m.senderTick = 44;
  m.advantage = -24;
  m.firstTick = 41;
  m.inputCount = 3;
  m.inputs[1].add(5);
  m.inputs[1].add(0);
  m.inputs[2].add(3);
  return m;
}

std::vector<uint8_t> encoded(const NetMessage& m) {
  std::vector<uint8_t> bytes;
  encodeMessage(m, bytes);
  return bytes;
}

TEST(NetMessage, EveryTypeSurvivesTheWire) {
  NetMessage ping;
  ping.type = NetMessageType::Ping;
  ping.time = 0xDEADBEEF;
  NetMessage setup;
  setup.type = NetMessageType::Setup;
  setup.roundTrip = 150;
  setup.inputDelay = 3;
  setup.setup = {1, 2, 3, 0, 255};
  NetMessage ack;
  ack.type = NetMessageType::SetupAck;
  NetMessage digest;
  digest.type = NetMessageType::Digest;
  digest.tick = 29;
  digest.digest = 0x0123456789ABCDEFull;
  NetMessage ending;
  ending.type = NetMessageType::Ending;
  ending.reason = EndReason::Lost;
  ending.tick = 7000;
  ending.digest = 42;

  for (const NetMessage& m : {ping, setup, ack, inputsMessage(), digest, ending}) {
    SCOPED_TRACE(static_cast<int>(m.type));
    std::vector<uint8_t> bytes = encoded(m);
    NetMessage back;
    ASSERT_TRUE(decodeMessage(bytes.data(), bytes.size(), Commands, back));
    EXPECT_EQ(encoded(back), bytes);
  }
  NetMessage back;
  std::vector<uint8_t> bytes = encoded(inputsMessage());
  ASSERT_TRUE(decodeMessage(bytes.data(), bytes.size(), Commands, back));
  EXPECT_EQ(back.advantage, -24);
  EXPECT_EQ(back.ack, 40u);
  EXPECT_EQ(back.firstTick, 41u);
  EXPECT_EQ(back.inputs[1], inputsMessage().inputs[1]);
  EXPECT_TRUE(back.inputs[0].empty());
}

TEST(NetMessage, EveryTruncationIsRefused) {
  std::vector<uint8_t> whole = encoded(inputsMessage());
  for (size_t size = 0; size < whole.size(); ++size) {
    SCOPED_TRACE(size);
    std::vector<uint8_t> cut(whole.begin(), whole.begin() + size);
    // The length field is corrected too, so the payload's own checks must catch it.
    if (size >= NetHeaderSize) {
      cut[3] = static_cast<uint8_t>(size - NetHeaderSize);
      cut[4] = 0;
    }
    NetMessage m;
    EXPECT_FALSE(decodeMessage(cut.data(), cut.size(), Commands, m));
  }
}

TEST(NetMessage, MalformedPacketsAreRefused) {
  struct Case {
    const char* name;
    size_t at;  // byte to change, counted from the start of the packet
    uint8_t value;
  };
  // inputsMessage() on the wire: header, times and ticks up to byte 18, the input count at
  // 19, then each input's count and commands: 20 (none), 21 (two: 22, 23), 24 (one: 25).
  const Case cases[] = {
      {"marker", 0, 0x00},
      {"older version", 1, NetProtocolVersion - 1},
      {"newer version", 1, NetProtocolVersion + 1},
      {"unknown type", 2, 0},
      {"type past the last", 2, 8},
      {"length too long", 3, 200},
      {"more inputs than a packet carries", 19, MaxInputsPerPacket + 1},
      {"command the game does not know", 22, Commands},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> bytes = encoded(inputsMessage());
    bytes[c.at] = c.value;
    NetMessage m;
    EXPECT_FALSE(decodeMessage(bytes.data(), bytes.size(), Commands, m));
  }

  // A tick holding one command more than it may, well formed otherwise.
  NetMessage full = inputsMessage();
  while (full.inputs[1].add(1)) {
  }
  std::vector<uint8_t> overfull = encoded(full);
  overfull[21] = TickInput::Capacity + 1;
  overfull.insert(overfull.begin() + 22, 1);
  overfull[3] += 1;
  NetMessage m;
  EXPECT_FALSE(decodeMessage(overfull.data(), overfull.size(), Commands, m)) << "overfull tick";

  std::vector<uint8_t> trailing = encoded(inputsMessage());
  trailing.push_back(0);
  trailing[3] += 1;
  EXPECT_FALSE(decodeMessage(trailing.data(), trailing.size(), Commands, m)) << "trailing byte";

  NetMessage ending;
  ending.type = NetMessageType::Ending;
  for (uint8_t reason : {uint8_t(0), uint8_t(LastEndReason + 1)}) {
    std::vector<uint8_t> bytes = encoded(ending);
    bytes[NetHeaderSize] = reason;
    EXPECT_FALSE(decodeMessage(bytes.data(), bytes.size(), Commands, m)) << "reason " << +reason;
  }

  NetMessage setup;
  setup.type = NetMessageType::Setup;
  setup.setup.assign(MaxSetupSize + 1, 7);
  std::vector<uint8_t> bytes = encoded(setup);
  EXPECT_FALSE(decodeMessage(bytes.data(), bytes.size(), Commands, m)) << "oversized setup";
}

}  // namespace
