#pragma once

#include <string>
#include <vector>

#include "Game.h"
#include "HeadlessGame.h"

// Watches a whole game frame by frame and writes down every broken rule of play: a cell
// in an impossible state, a cursor off the board, an action that holds what it should
// not, or pieces appearing or vanishing other than by rows, doublers, explosions and
// drops that found no room.
class Invariants {
public:
  void check(const Game& game);
  std::vector<std::string> faults;

private:
  struct Seen {
    bool known = false;
    int pieces = 0;
    uint32_t rowSeed = 0;
    int doublerCharges = 0;
    int flightCount = 0;
    int heldCount = 0;
    int actionState = 0;
  };
  void checkPlayer(const Player& player, int index, Seen& seen);
  void fault(int index, const std::string& what);
  Seen seen[2];
  long frame = 0;
};

// Plays a whole game, checking every frame and the end; returns the broken rules, a game
// that never ended, ended with nobody out or sooner than shortestMs among them.
std::vector<std::string> playChecked(HeadlessGame& headless, int shortestMs = 0);
