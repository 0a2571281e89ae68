#pragma once

#include <cstdint>

// How one level of the computer opponent plays. Levels differ the way people do: how
// long they take to react, how fast they press keys, whether they gather more pieces
// before a drop and how often they misjudge. Every level looks one move ahead: without
// that even the gentlest one piles its board up and loses to a player who does nothing.
struct ComputerLevel {
  int32_t reactionMs;   // from a settled hand to the first key of the next move
  int32_t keyGapMs;     // between two key presses
  int sourceColumns;    // columns it considers grabbing from (of 7)
  bool gathers;         // also weighs grabbing more of the held colour before dropping
  int secondLooks;      // best first moves given a look at the move after (0: none)
  int misjudgePercent;  // chance a decision takes a candidate at random
  double judgeNoise;    // spread of the random error on each candidate's value
};

constexpr int ComputerLevelCount = 5;
constexpr int DefaultComputerLevel = 3;

// The level's row of the table; levels outside 1..5 are taken as the nearest one.
const ComputerLevel& computerLevel(int level);

// What makes a board good or bad to the judge. Every level uses the same weights; the
// levels differ only in the table above.
namespace JudgeWeight {
constexpr double PieceExploded = 1.0;     // per piece destroyed by the move's reactions
constexpr double ChainLink = 4.0;         // times (links - 1) squared, for a chain
constexpr double Height = 0.15;           // per piece on the board
constexpr double Danger = 6.0;            // times the square of the rows above SafeRows
constexpr int SafeRows = 7;               // stack plus owed rows that needs no hurry
constexpr double Bother = 0.05;           // least gain over waiting that is worth a move
constexpr double SamePair = 0.35;         // per two touching pieces of one colour
constexpr double Dud = 0.5;               // per dud on the board
constexpr double Lost = -1.0e6;           // the move tops the board out
constexpr double OpponentPressure = 0.1;  // extra weight on pieces per row the other side owes
constexpr double StrikeOrEase = 3.0;      // for firing a stored Yellow or Red: it works later
constexpr double LowBoardPull = 3.0;      // for pulling a row onto a nearly empty board
constexpr int LowBoardPieces = 14;        // fewer pieces than this is a nearly empty board
}  // namespace JudgeWeight
