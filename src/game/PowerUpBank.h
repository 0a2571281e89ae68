#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "Listener.h"

class MessageBus;
class Player;

// A player's power-ups: the charge gathered per colour during a chain, the power-ups
// stored for later use in a two-player game, and the meter of the opponent's pieces
// waiting to become rows on this board.
class PowerUpBank : public Listener {
public:
  struct Charge {
    int colour;
    int count;
  };
  struct Stored {
    int kind;
    int amount;
  };

  PowerUpBank();

  void handle(int id, void* data, MessageBus* bus) override;
  ~PowerUpBank() override = default;

  MessageBus* bus = nullptr;
  Player* player = nullptr;
  std::deque<Charge> charges;
  int32_t incoming = 0;
  uint32_t randomState = 0;
  std::vector<Stored> stored;

  void charge(int colour, int count);
  void endOfChain();
  void usePowerUp();
  void activate(int kind, int amount);
  void apply(int kind, int amount, bool incomingPieces);
  void fireLaser();

private:
  int playerCount() const;
  int playerIndex() const;
  void send(int id, int kind, int amount);
  void erase(int strength);
  void convert(int count, int perColumn, int target);
};
