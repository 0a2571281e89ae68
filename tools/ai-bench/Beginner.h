#pragma once

#include <cstdint>
#include <random>

#include "Listener.h"
#include "PlayerKeys.h"

class GameLoop;
class Player;

// A new player at the keys: every two to three seconds it grabs the top run of its
// tallest column and drops it on a column with the same colour on top (or, with none, on
// the lowest). It never pulls rows or fires power-ups. Its keys travel the real way, as
// PlayerCommand on the bus to the player's controller.
class Beginner : public Listener {
public:
  Beginner(GameLoop& loop, int index, uint32_t startValue);
  void handle(int id, void* data, MessageBus* bus) override;

  static constexpr int32_t FastestMoveMs = 2000;
  static constexpr int32_t SlowestMoveMs = 3000;

private:
  int tallestColumn(const Player& player) const;
  int matchingColumn(const Player& player) const;

  GameLoop& loop;
  int index;
  PlayerKeys keys;
  std::mt19937 random;
  int32_t nextMoveAt = 0;
  bool dropping = false;  // grabbed this move, the drop still to do
};
