#pragma once

#include <cstdint>
#include <random>

#include "Listener.h"
#include "PlayerKeys.h"

class Player;

// A person on their first day at the keys, pressing one key at a time. A move every
// second or two (or as long as its keys take): when one grab and drop would make a group
// that reacts, it makes the biggest such group; otherwise it puts the run on top of a
// column onto the same colour elsewhere, or, with no such move, onto a lower column, or
// anywhere. It never fills a column to the top row without a reaction, and knows nothing
// of chains, mixing, pulling rows in or power-ups. The computer's first level is tuned to
// lose to it about half the time.
class Novice : public Listener {
public:
  Novice(GameLoop& loop, int index, uint32_t startValue);
  void handle(int id, void* data, MessageBus* bus) override;

  static constexpr int32_t QuickestMoveMs = 1000;  // from the start of one move to the next
  static constexpr int32_t SlowestMoveMs = 2000;
  static constexpr int32_t KeyGapMs = 200;  // between two presses: a key at a time, looking

private:
  // One move: the run on top of `from` (-1: the pieces in hand) dropped onto `onto`.
  struct Move {
    int from = -1;
    int onto = -1;
  };
  Move choose(const Player& player);
  int32_t pause();

  GameLoop& loop;
  int index;
  PlayerKeys keys;
  std::mt19937 random;
  int32_t nextMoveAt = 0;
  int32_t nextKeyAt = 0;
  int target = -1;       // the column the cursor is on its way to, -1 before a choice
  int grabbedFrom = -1;  // where the pieces in hand came from: not where they go back
};
