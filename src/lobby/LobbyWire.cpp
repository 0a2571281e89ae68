#include "LobbyWire.h"

#include "InviteCode.h"
#include "LittleEndian.h"

namespace {
constexpr uint8_t Marker[] = {0xff, 'P', 'g', 'L'};
constexpr size_t MarkerBytes = sizeof(Marker);
constexpr size_t NonceBytes = 8, StampBytes = 4, IpBytes = 4, PortBytes = 2, MsBytes = 4,
                 SeqBytes = 4;

void putEndpoint(std::vector<uint8_t>& out, const Endpoint& e) {
  putLittleEndian(out, e.ip, IpBytes);
  putLittleEndian(out, e.port, PortBytes);
}

Endpoint takeEndpoint(LittleEndianReader& in) {
  Endpoint e;
  e.ip = static_cast<uint32_t>(in.take(IpBytes));
  e.port = static_cast<uint16_t>(in.take(PortBytes));
  return e;
}

void putLocals(std::vector<uint8_t>& out, const std::vector<Endpoint>& locals) {
  size_t count = std::min(locals.size(), MostLocalAddresses);
  out.push_back(static_cast<uint8_t>(count));
  for (size_t i = 0; i < count; ++i) putEndpoint(out, locals[i]);
}

std::vector<Endpoint> takeLocals(LittleEndianReader& in) {
  size_t count = in.take(1);
  if (count > MostLocalAddresses) in.fail();
  std::vector<Endpoint> locals;
  for (size_t i = 0; i < count && in.ok(); ++i) locals.push_back(takeEndpoint(in));
  return locals;
}

void putCode(std::vector<uint8_t>& out, const std::string& code) {
  for (size_t i = 0; i < CodeLength; ++i) out.push_back(i < code.size() ? code[i] : '?');
}

std::string takeCode(LittleEndianReader& in) {
  std::string typed;
  for (size_t i = 0; i < CodeLength; ++i) typed += static_cast<char>(in.take(1));
  std::string code;
  if (!readCode(typed, code)) in.fail();
  return code;
}

void putToken(std::vector<uint8_t>& out, const RelayToken& token) {
  out.insert(out.end(), token.begin(), token.end());
}

RelayToken takeToken(LittleEndianReader& in) {
  RelayToken token{};
  for (uint8_t& b : token) b = static_cast<uint8_t>(in.take(1));
  return token;
}
}  // namespace

std::string endpointText(const Endpoint& e) {
  return std::to_string(e.ip >> 24) + "." + std::to_string(e.ip >> 16 & 0xff) + "." +
         std::to_string(e.ip >> 8 & 0xff) + "." + std::to_string(e.ip & 0xff) + ":" +
         std::to_string(e.port);
}

bool hasLobbyMarker(const uint8_t* data, size_t size) {
  if (size < MarkerBytes) return false;
  for (size_t i = 0; i < MarkerBytes; ++i)
    if (data[i] != Marker[i]) return false;
  return true;
}

bool isRequest(LobbyType type) {
  return type == LobbyType::Host || type == LobbyType::Join || type == LobbyType::Quick ||
         type == LobbyType::Leave || type == LobbyType::Relay || type == LobbyType::Show ||
         type == LobbyType::Watch;
}

std::vector<uint8_t> encode(const LobbyMessage& m) {
  std::vector<uint8_t> out(Marker, Marker + MarkerBytes);
  out.push_back(LobbyProtocol);
  out.push_back(static_cast<uint8_t>(m.type));
  putLittleEndian(out, m.nonce, NonceBytes);
  switch (m.type) {
    case LobbyType::Host:
    case LobbyType::Quick:
      putLittleEndian(out, m.stamp, StampBytes);
      putLocals(out, m.locals);
      break;
    case LobbyType::Join:
      putLittleEndian(out, m.stamp, StampBytes);
      putCode(out, m.code);
      putLocals(out, m.locals);
      break;
    case LobbyType::Watch:
      putLittleEndian(out, m.stamp, StampBytes);
      putCode(out, m.code);
      break;
    case LobbyType::Leave:
      break;
    case LobbyType::Relay:
    case LobbyType::Show:
    case LobbyType::Opened:
      putToken(out, m.token);
      break;
    case LobbyType::Stream:
      putToken(out, m.token);
      putLittleEndian(out, m.part.ack, SeqBytes);
      putLittleEndian(out, m.part.seq, SeqBytes);
      out.push_back(m.part.flags);
      out.insert(out.end(), m.part.data.begin(), m.part.data.end());
      break;
    case LobbyType::Code:
      putCode(out, m.code);
      putLittleEndian(out, m.ms, MsBytes);
      break;
    case LobbyType::Queued:
      putLittleEndian(out, m.ms, MsBytes);
      break;
    case LobbyType::Meet:
      out.push_back(m.listen ? 1 : 0);
      putEndpoint(out, m.other);
      putLocals(out, m.locals);
      putToken(out, m.token);
      break;
    case LobbyType::Refused:
      out.push_back(static_cast<uint8_t>(m.refusal));
      putLittleEndian(out, m.stamp, StampBytes);
      break;
  }
  if (isRequest(m.type)) out.resize(RequestBytes, 0);
  return out;
}

Decoded decode(const uint8_t* data, size_t size, LobbyMessage& m) {
  if (!hasLobbyMarker(data, size)) return Decoded::NotLobby;
  LittleEndianReader in(data + MarkerBytes, size - MarkerBytes);
  uint8_t protocol = static_cast<uint8_t>(in.take(1));
  if (!in.ok()) return Decoded::Broken;
  if (protocol != LobbyProtocol) return Decoded::OtherProtocol;
  LobbyMessage read;
  read.type = static_cast<LobbyType>(in.take(1));
  read.nonce = in.take(NonceBytes);
  if (isRequest(read.type) && size != RequestBytes) return Decoded::Broken;
  switch (read.type) {
    case LobbyType::Host:
    case LobbyType::Quick:
      read.stamp = static_cast<uint32_t>(in.take(StampBytes));
      read.locals = takeLocals(in);
      break;
    case LobbyType::Join:
      read.stamp = static_cast<uint32_t>(in.take(StampBytes));
      read.code = takeCode(in);
      read.locals = takeLocals(in);
      break;
    case LobbyType::Watch:
      read.stamp = static_cast<uint32_t>(in.take(StampBytes));
      read.code = takeCode(in);
      break;
    case LobbyType::Leave:
      break;
    case LobbyType::Relay:
    case LobbyType::Show:
    case LobbyType::Opened:
      read.token = takeToken(in);
      break;
    case LobbyType::Stream:
      read.token = takeToken(in);
      read.part.ack = static_cast<uint32_t>(in.take(SeqBytes));
      read.part.seq = static_cast<uint32_t>(in.take(SeqBytes));
      read.part.flags = static_cast<uint8_t>(in.take(1));
      if (in.left() > MostStreamData) in.fail();
      read.part.data.assign(in.here(), in.here() + in.left());
      in.skip(in.left());
      break;
    case LobbyType::Code:
      read.code = takeCode(in);
      read.ms = static_cast<uint32_t>(in.take(MsBytes));
      break;
    case LobbyType::Queued:
      read.ms = static_cast<uint32_t>(in.take(MsBytes));
      break;
    case LobbyType::Meet:
      read.listen = in.take(1) != 0;
      read.other = takeEndpoint(in);
      read.locals = takeLocals(in);
      read.token = takeToken(in);
      break;
    case LobbyType::Refused: {
      uint8_t why = static_cast<uint8_t>(in.take(1));
      if (why < static_cast<uint8_t>(Refusal::UnknownCode) ||
          why > static_cast<uint8_t>(Refusal::NotShown))
        in.fail();
      read.refusal = static_cast<Refusal>(why);
      read.stamp = static_cast<uint32_t>(in.take(StampBytes));
      break;
    }
    default:
      return Decoded::Broken;
  }
  if (!in.ok()) return Decoded::Broken;
  m = read;
  return Decoded::Ok;
}
