#include "NetMessage.h"

#include <algorithm>

#include "LittleEndian.h"

namespace {

class Writer {
public:
  explicit Writer(std::vector<uint8_t>& out) : out(out) {}
  void u8(uint8_t v) { out.push_back(v); }
  void u16(uint16_t v) { putLittleEndian(out, v, 2); }
  void u32(uint32_t v) { putLittleEndian(out, v, 4); }
  void u64(uint64_t v) { putLittleEndian(out, v, 8); }
  std::vector<uint8_t>& out;
};

class Reader : public LittleEndianReader {
public:
  using LittleEndianReader::LittleEndianReader;
  uint8_t u8() { return static_cast<uint8_t>(take(1)); }
  uint16_t u16() { return static_cast<uint16_t>(take(2)); }
  uint32_t u32() { return static_cast<uint32_t>(take(4)); }
  uint64_t u64() { return take(8); }
};

// `tick` - `base`, for ticks a session keeps within a few dozen of each other. Clamped,
// which for an acknowledgement only ever claims less than is known.
int16_t tickDifference(uint32_t tick, uint32_t base) {
  int64_t difference = static_cast<int64_t>(tick) - static_cast<int64_t>(base);
  return static_cast<int16_t>(std::clamp<int64_t>(difference, INT16_MIN, INT16_MAX));
}

void encodePayload(const NetMessage& m, Writer& w) {
  switch (m.type) {
    case NetMessageType::Ping:
    case NetMessageType::Pong:
      w.u32(m.time);
      break;
    case NetMessageType::Setup:
      w.u16(m.roundTrip);
      w.u8(m.inputDelay);
      w.u16(static_cast<uint16_t>(m.setup.size()));
      w.out.insert(w.out.end(), m.setup.begin(), m.setup.end());
      break;
    case NetMessageType::SetupAck:
      break;
    case NetMessageType::Inputs:
      w.u16(m.sendTime);
      w.u16(m.echoTime);
      w.u8(m.echoHold);
      w.u32(m.senderTick);
      w.u16(static_cast<uint16_t>(tickDifference(m.ack, m.senderTick)));
      w.u8(static_cast<uint8_t>(m.advantage));
      w.u16(static_cast<uint16_t>(tickDifference(m.firstTick, m.senderTick)));
      w.u8(m.inputCount);
      for (int i = 0; i < m.inputCount; ++i) {
        const TickInput& input = m.inputs[i];
        w.u8(input.count);
        for (int c = 0; c < input.count; ++c) w.u8(input.commands[c]);
      }
      break;
    case NetMessageType::Digest:
      w.u32(m.tick);
      w.u64(m.digest);
      break;
    case NetMessageType::Ending:
      w.u8(static_cast<uint8_t>(m.reason));
      w.u32(m.tick);
      w.u64(m.digest);
      break;
  }
}

bool decodePayload(Reader& r, int commandLimit, NetMessage& m) {
  switch (m.type) {
    case NetMessageType::Ping:
    case NetMessageType::Pong:
      m.time = r.u32();
      return true;
    case NetMessageType::Setup: {
      m.roundTrip = r.u16();
      m.inputDelay = r.u8();
      uint16_t size = r.u16();
      if (!r.ok() || size > MaxSetupSize || size != r.left()) return false;
      m.setup.resize(size);
      for (uint16_t i = 0; i < size; ++i) m.setup[i] = r.u8();
      return true;
    }
    case NetMessageType::SetupAck:
      return true;
    case NetMessageType::Inputs:
      m.sendTime = r.u16();
      m.echoTime = r.u16();
      m.echoHold = r.u8();
      m.senderTick = r.u32();
      m.ack = m.senderTick + static_cast<int16_t>(r.u16());
      m.advantage = static_cast<int8_t>(r.u8());
      m.firstTick = m.senderTick + static_cast<int16_t>(r.u16());
      m.inputCount = r.u8();
      if (m.inputCount > MaxInputsPerPacket) return false;
      for (int i = 0; i < m.inputCount && r.ok(); ++i) {
        TickInput& input = m.inputs[i];
        input = TickInput();
        uint8_t count = r.u8();
        if (count > TickInput::Capacity) return false;
        for (int c = 0; c < count; ++c) {
          uint8_t command = r.u8();
          if (command >= commandLimit) return false;
          input.add(command);
        }
      }
      return true;
    case NetMessageType::Digest:
      m.tick = r.u32();
      m.digest = r.u64();
      return true;
    case NetMessageType::Ending: {
      uint8_t reason = r.u8();
      if (reason == 0 || reason > LastEndReason) return false;
      m.reason = static_cast<EndReason>(reason);
      m.tick = r.u32();
      m.digest = r.u64();
      return true;
    }
  }
  return false;
}

}  // namespace

void encodeMessage(const NetMessage& message, std::vector<uint8_t>& out) {
  size_t start = out.size();
  Writer w(out);
  w.u8(NetMarker);
  w.u8(NetProtocolVersion);
  w.u8(static_cast<uint8_t>(message.type));
  w.u16(0);  // the payload's length, filled in below
  encodePayload(message, w);
  size_t length = out.size() - start - NetHeaderSize;
  out[start + 3] = static_cast<uint8_t>(length);
  out[start + 4] = static_cast<uint8_t>(length >> 8);
}

bool decodeMessage(const uint8_t* data, size_t size, int commandLimit, NetMessage& message) {
  Reader header(data, size < NetHeaderSize ? size : NetHeaderSize);
  uint8_t marker = header.u8();
  uint8_t version = header.u8();
  uint8_t type = header.u8();
  uint16_t length = header.u16();
  if (!header.ok() || marker != NetMarker || version != NetProtocolVersion) return false;
  if (type < static_cast<uint8_t>(NetMessageType::Ping) ||
      type > static_cast<uint8_t>(NetMessageType::Ending))
    return false;
  if (length != size - NetHeaderSize) return false;
  message.type = static_cast<NetMessageType>(type);
  Reader payload(data + NetHeaderSize, length);
  return decodePayload(payload, commandLimit, message) && payload.atEnd();
}
