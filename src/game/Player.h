#pragma once

#include <cstdint>

#include "Board.h"
#include "Bounded.h"
#include "Colour.h"
#include "Command.h"
#include "Fixed.h"
#include "GameSetup.h"
#include "LaserShot.h"
#include "PowerUpBank.h"
#include "StepEvents.h"

// What the player's hands are doing: grabbed pieces on their way up, dropped pieces on
// their way down, pieces held, nothing, or a drop that landed during this update.
enum ActionState : int32_t {
  GrabFlight = 0,
  DropFlight = 1,
  Holding = 2,
  Idle = 3,
  DropDone = 4,
};

// Commands a player may have waiting; keys pressed beyond that are not taken, which no
// one at the keys ever reaches (one command is played per frame).
constexpr int CommandQueueRoom = 32;
// Laser shots in flight at once; a shot beyond that waits for one to land.
constexpr int LaserRoom = 32;
// The longest status message kept, with its line break.
constexpr int MessageRoom = 48;

// One player's board, cursor, power-ups, pace and statistics: a plain value, so a whole
// game copies with `=`. The renderer and the results text read these fields by name.
class Player {
public:
  Player();

  int32_t index = 0;  // 0 the left-hand board, 1 the right-hand one
  GameMode::Value gameMode = GameMode::Practice;
  int32_t gamePlayers = 1;  // players the game began with
  bool alive = true;
  int32_t chainCount = 0;
  int32_t chainPieces = 0;
  int32_t activity = 0;  // non-zero once anything moved since the last chain closed
  Board board;
  double score = 0.0;
  double chainBonus = 0.0;
  double timeBonus = 0.0;
  BoundedText<MessageRoom> message;
  int32_t messageTimer = 0;
  int32_t slowTimer = 0;
  int32_t dudsAddedTimer = 0;
  int32_t shieldTimer = 0;
  int32_t wildsAddedTimer = 0;
  int32_t laserChargedTimer = 0;
  int32_t slowReactionsTimer = 0;
  int32_t lasersTimer = 0;
  int32_t multiplierTimer = 0;
  int32_t doublerCharges = 0;
  int32_t pendingRows = 0;
  PowerUpBank bank;
  int32_t minGroup = 4;
  bool minGroupHold = false;
  int32_t laserCharges = 0;
  BoundedList<LaserShot, LaserRoom> lasers;
  BoundedList<Command::Value, CommandQueueRoom> commands;
  fixed_t cursorPos = 0;
  int32_t cursorSpeed = 0;
  int32_t cursorColumn = 0;
  ActionState actionState = Idle;
  int32_t heldColour = Colour::Empty;
  int32_t heldCount = 0;
  int32_t flightCount = 0;
  int32_t flightColumn = 0;
  int32_t flightRow = 0;
  fixed_t flightPos = 0;
  int32_t rowInterval = 0;
  int32_t levelDuration = 0;
  int32_t elapsed = 0;
  int32_t levelTimer = 0;
  int32_t level = 0;
  int32_t flightSpeed = 0;
  int32_t rowTimer = 0;
  int32_t totalPieces = 0;
  int32_t maxChain = 0;
  int32_t piecesByColour[Colour::Wild] = {};  // every colour but wild
  // The end-of-game bonuses are added once, however the player went out.
  bool finalBonusAdded = false;

  // Takes a seat in a game: the board of the setup's size, the player's own row and bank
  // generators' starting values, and everything else as at the start of a game.
  void seat(const GameSetup& setup, int index);
  void reset();
  // Moves everything on the board by dt ms; returns the pieces still falling or exploding.
  int32_t advance(int32_t dt, StepEvents& events);
  void processCommands(int32_t dt, StepEvents& events);
  int32_t countGroup(int column, int row, int trialColour, bool mark);
  int32_t react(StepEvents& events);
  void closeChain(StepEvents& events);
  bool isAlive();
  // One frame of this player while the game is in `state`; 1 while it is in the game, 0
  // once it no longer counts.
  int update(int32_t dt, GameState state, StepEvents& events);
  void addFinalBonus();

  void playSound(StepEvents& events, Sound sound, int chainLink = 0) const;
  int playerCount() const { return gamePlayers; }
  GameMode::Value mode() const { return gameMode; }
  // What a chain closed now is multiplied by: 1, or 2 and up while the multiplier runs.
  int scoreMultiplier() const;
  // Pieces grabbed or dropped and still on their way.
  bool flying() const { return actionState == GrabFlight || actionState == DropFlight; }
  // Rows this board will receive: those pending and the pieces on its meter.
  int owedRows() const;

  template <class V>
  void fields(V& v) {
    v(index), v(gameMode), v(gamePlayers), v(alive), v(chainCount), v(chainPieces);
    v(activity), v(board), v(score), v(chainBonus), v(timeBonus), v(message);
    v(messageTimer), v(slowTimer), v(dudsAddedTimer), v(shieldTimer), v(wildsAddedTimer);
    v(laserChargedTimer), v(slowReactionsTimer), v(lasersTimer), v(multiplierTimer);
    v(doublerCharges), v(pendingRows), v(bank), v(minGroup), v(minGroupHold);
    v(laserCharges), v(lasers), v(commands), v(cursorPos), v(cursorSpeed), v(cursorColumn);
    v(actionState), v(heldColour), v(heldCount), v(flightCount), v(flightColumn);
    v(flightRow), v(flightPos), v(rowInterval), v(levelDuration), v(elapsed), v(levelTimer);
    v(level), v(flightSpeed), v(rowTimer), v(totalPieces), v(maxChain), v(piecesByColour);
    v(finalBonusAdded);
  }

private:
  struct Blank {};
  // Every field at its initial value and no seat taken.
  explicit Player(Blank) {}
  void returnToIdle();
  void moveCursor(int32_t dt);
  // True when the front command must wait for a later frame.
  bool runCommand(Command::Value command, StepEvents& events);
  void grab(StepEvents& events);
  void advanceFlight(int32_t dt);
  int32_t advanceFalling(int32_t dt);
  void advanceLasers(int32_t dt, StepEvents& events);
  int32_t advanceExplosions(int32_t dt);
  void deliverRows();
  void spreadColour(int column, int row, int colour);
};
