#pragma once

#include "Board.h"

class GameLoop;
class Player;

// The keys of one player as a scripted player presses them: each travels the real way,
// as PlayerCommand on the bus to the player's controller, so the game takes it as it
// takes a person's.
class PlayerKeys {
public:
  PlayerKeys(GameLoop& loop, int index) : loop(loop), index(index) {}
  void press(int command) const;
  // Left or Right as many times as it takes the cursor to the column.
  void walkTo(const Player& player, int column) const;
  // One Left or Right towards the column; false, pressing nothing, when the cursor is there.
  bool stepTowards(const Player& player, int column) const;

private:
  GameLoop& loop;
  int index;
};

// The topmost run of one colour in a column, as a grab would take it.
struct TopRun {
  int colour = Colour::Empty;
  int length = 0;  // 0 when nothing can be grabbed: an empty column or a reacting top
  int top = -1;    // row of the topmost piece
};
TopRun topRun(const Board& board, int column);
