#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "ComputerLevel.h"
#include "MoveSearch.h"
#include "PlayerController.h"

// The computer opponent. It plays one player the way a person at the keys would: it looks
// at its board, takes a moment to decide, then presses Left, Right, Grab, Drop, PullDown
// and PowerUp one after another, as inputs of the pass like the keys' own. It presses
// nothing while the game is paused or ending.
class ComputerController : public PlayerController {
public:
  // level 1 (a newcomer wins about half the time) to 5 (hard for a good player); every
  // choice it makes follows from startValue, so the same game is played the same way again.
  ComputerController(int level, uint32_t startValue);

  void handle(int id, void* data, MessageBus* bus) override;
  int attach(GameLoop* loop, int index) override;

  // Rule steps of trial play per frame: keeps a decision's share of a frame well under
  // a millisecond.
  static constexpr int TrialStepsPerFrame = 200;

private:
  enum Phase { Resting, Thinking, Pressing };
  void think(const Player& me);
  void press(const Player& me);
  void plan(const Plan& chosen);
  OpponentView opponentView() const;

  const ComputerLevel& level;
  std::mt19937 random;
  MoveSearch search;
  Phase phase = Resting;
  int32_t restUntil = -1;  // -1: from the moment the hands are free
  int32_t nextKeyAt = 0;
  static constexpr int Walk = -1;  // as many Left or Right presses as the column needs
  struct Key {
    int command;  // a command, or Walk
    int column;   // where a walk or a grab goes
    int colour;   // the colour a grab expects on top of its column
  };
  static int aimedColumn(const Player& me);
  static bool stillThere(const Player& me, const Key& key);
  std::vector<Key> keys;
  size_t nextKey = 0;
};
