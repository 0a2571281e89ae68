#pragma once

#include <cstdint>

#include "Bounded.h"
#include "Colour.h"
#include "StepEvents.h"

class Player;

// A player's power-ups: the charge gathered per colour during a chain, the power-ups
// stored for later use in a two-player game, and the meter of the opponent's pieces
// waiting to become rows on this board. A plain part of its player's value: the player
// it belongs to is handed to each call.
class PowerUpBank {
public:
  struct Charge {
    int32_t colour = Colour::Empty;
    int32_t count = 0;
    template <class V>
    void fields(V& v) {
      v(colour), v(count);
    }
  };
  struct Stored {
    int32_t kind = Colour::Empty;
    int32_t amount = 0;
    template <class V>
    void fields(V& v) {
      v(kind), v(amount);
    }
  };
  // One charge per colour at most; stored power-ups beyond the room are not kept (far
  // more than a board could ever show).
  static constexpr int StoredRoom = 64;

  BoundedList<Charge, Colour::Wild + 1> charges;
  int32_t incoming = 0;
  uint32_t randomState = 0;
  BoundedList<Stored, StoredRoom> stored;

  void charge(Player& owner, int colour, int count, StepEvents& events);
  void endOfChain(Player& owner, StepEvents& events);
  void usePowerUp(Player& owner, StepEvents& events);
  void activate(Player& owner, int kind, int amount, StepEvents& events);
  void apply(Player& owner, int kind, int amount, bool incomingPieces, StepEvents& events);
  // A power-up or pieces sent by the other board (SendPowerUp or SendDuds).
  void receive(Player& owner, const PowerUpMessage& message, StepEvents& events);
  void fireLaser(Player& owner, StepEvents& events);

  template <class V>
  void fields(V& v) {
    v(charges), v(incoming), v(randomState), v(stored);
  }

private:
  void send(const Player& owner, int id, int kind, int amount, StepEvents& events);
  void erase(Player& owner, int strength, StepEvents& events);
  void convert(Player& owner, int count, int perColumn, int target);
};
