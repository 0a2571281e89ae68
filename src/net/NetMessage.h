#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "TickInput.h"

// The messages two sessions exchange, and their wire form: a header (marker, protocol
// version, type, payload length) and a payload of fixed layout, little-endian. A packet is
// decoded whole or not at all.
constexpr uint8_t NetMarker = 0xA7;
constexpr uint8_t NetProtocolVersion = 2;
constexpr size_t NetHeaderSize = 5;
// Inputs one packet may carry: more than a session ever leaves unacknowledged.
constexpr int MaxInputsPerPacket = 64;
// Bytes of a game's setup (mode, where its generators start): ample for any setup.
constexpr size_t MaxSetupSize = 256;

enum class NetMessageType : uint8_t {
  Ping = 1,      // unreliable: a clock reading, answered by a Pong before the game starts
  Pong = 2,      // unreliable
  Setup = 3,     // reliable: the host's choice of game, input delay and round trip
  SetupAck = 4,  // reliable: the guest has started
  Inputs = 5,    // unreliable: every input the other side has not acknowledged
  Digest = 6,    // reliable: the fingerprint of a confirmed tick
  Ending = 7,    // reliable: why and where the game ended for the sender
};

// Why a session ended, as sent in an Ending message and reported in the Ended event.
enum class EndReason : uint8_t {
  GameOver = 1,   // the rules ended the game (a player out)
  Abandoned = 2,  // a player left the game
  Lost = 3,       // nothing heard for too long
  BadSetup = 4,   // the guest could not make a game of the host's setup
};
constexpr uint8_t LastEndReason = 4;

struct NetMessage {
  NetMessageType type = NetMessageType::Ping;

  // Ping, Pong: the sender's clock (Ping) or the Ping's reading sent back (Pong).
  uint32_t time = 0;

  // Setup.
  uint16_t roundTrip = 0;  // ms, as the host measured it
  uint8_t inputDelay = 0;  // ticks
  std::vector<uint8_t> setup;

  // Inputs. Clock readings travel as their low 16 bits (a round trip is far shorter), the
  // acknowledgement and the first input's tick as differences from senderTick.
  uint16_t sendTime = 0;    // the sender's clock
  uint16_t echoTime = 0;    // the newest sendTime the sender received ...
  uint8_t echoHold = 0;     // ... and how many ms it held it before this send
  uint32_t senderTick = 0;  // the next tick the sender will step
  uint32_t ack = 0;         // the sender has every input of ours before this tick
  int8_t advantage = 0;     // how far ahead the sender thinks it runs, in 1/16 ticks
  uint32_t firstTick = 0;   // tick of inputs[0]
  uint8_t inputCount = 0;
  TickInput inputs[MaxInputsPerPacket];

  // Digest, Ending.
  uint32_t tick = 0;
  uint64_t digest = 0;
  EndReason reason = EndReason::GameOver;  // Ending
};

// Appends the wire form of `message` to `out`.
void encodeMessage(const NetMessage& message, std::vector<uint8_t>& out);

// Reads one packet. False, with `message` unspecified, when the packet is not exactly one
// well-formed message of this protocol version whose commands are all below
// `commandLimit`.
bool decodeMessage(const uint8_t* data, size_t size, int commandLimit, NetMessage& message);
