#pragma once

#include <cstdint>
#include <random>

#include "Listener.h"
#include "PlayerKeys.h"

class GameLoop;
class Player;

// Plays one player of a game as a person at the keys would: it looks at the board every
// so often, presses Left and Right to walk the cursor over a column, grabs the top run,
// walks to a column with the same colour on top and drops it there, pulls rows down when
// the board is low and fires power-ups. It is not perfect on purpose, so games end.
// Its commands travel the real way: PlayerCommand on the bus, to the player's controller.
class AutoPlayer : public Listener {
public:
  AutoPlayer(GameLoop& loop, int index, uint32_t startValue);
  void handle(int id, void* data, MessageBus* bus) override;

  int32_t thinkEvery = 90;  // ms of play between two looks at the board
  int mistakes = 20;        // percent of moves made to a column picked at random
  int pullDowns = 8;        // percent chance of pulling a row when the board is low

private:
  void think(const Player& player);
  int pickColumn(const Player& player, bool dropping);
  unsigned roll(unsigned below) { return static_cast<unsigned>(random() % below); }

  GameLoop& loop;
  int index;
  PlayerKeys keys;
  std::mt19937 random;
  int32_t lastThought = 0;
};
