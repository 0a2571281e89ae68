#pragma once

#include <cstdint>
#include <vector>

#include "Player.h"

// One thing the computer can do with its hands.
struct Plan {
  enum Kind { Move, PullDown, PowerUp, Wait };
  int kind = Move;
  int grab = -1;               // column to grab from; -1 when the pieces are already held
  int gather = -1;             // a second grab of the same colour before the drop; -1 for none
  int column = -1;             // where the pieces are dropped, or where a laser is fired
  int colour = Colour::Empty;  // the colour the grab expects on top of its column
};

// What the computer takes from the other board: its warning line, as a person would.
struct OpponentView {
  int owedRows = 0;  // rows the other side will receive: pending rows and its meter
};

// Judges plans by playing them on copies of the computer's own player, stepped by the
// real rules until the board has settled; then scores the board.
class MoveJudge {
public:
  // Takes a snapshot of the real player. New rows are drawn from rowState instead of the
  // board's own generator: a person cannot see which colours come next either.
  void look(const Player& real, uint32_t rowState, const OpponentView& view);
  // Plays the plan from the snapshot (or, with fromMiddle, from the board a first plan
  // left behind) and returns the value of the settled board. `updates` grows by the
  // rule steps it took.
  double judge(const Plan& plan, bool fromMiddle, int& updates);
  // The board the last judged plan left becomes the start of a second plan.
  void keepAsMiddle();

  const Player& snapshot() const { return base; }
  const Player& middleBoard() const { return middle; }

private:
  bool play(const Plan& plan, int& updates);
  bool grabAt(int column, int& updates);
  void moveTo(int column);
  bool stepUntil(bool (*done)(const Player&), int limit, int& updates);
  double value() const;

  Player base, middle, trial;
  StepEvents ignored;  // a trial is heard by nobody and sends nothing to the other board
  int opponentOwedRows = 0;
  int chainSeen = 0;
};
