#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "Board.h"
#include "Colour.h"
#include "Fixed.h"
#include "LaserShot.h"
#include "PowerUpBank.h"

class Game;
class PlayerController;

// What the player's hands are doing: grabbed pieces on their way up, dropped pieces on
// their way down, pieces held, nothing, or a drop that landed during this update.
enum ActionState {
  GrabFlight = 0,
  DropFlight = 1,
  Holding = 2,
  Idle = 3,
  DropDone = 4,
};

// One player's board, cursor, power-ups, pace and statistics. The renderer and the
// results text read these fields by name.
class Player {
public:
  Player();
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  bool alive = true;
  int32_t chainCount = 0;
  int32_t chainPieces = 0;
  int32_t activity = 0;  // non-zero once anything moved since the last chain closed
  Game* game = nullptr;
  Board board;
  double score = 0.0;
  double chainBonus = 0.0;
  double timeBonus = 0.0;
  std::string message;
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
  std::vector<LaserShot> lasers;
  PlayerController* controller = nullptr;
  std::deque<int32_t> commands;
  fixed_t cursorPos = 0;
  int32_t cursorSpeed = 0;
  int32_t cursorColumn = 0;
  int32_t actionState = Idle;
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

  void construct();
  void reset();
  // Moves everything on the board by dt ms; returns the pieces still falling or exploding.
  int32_t advance(int32_t dt);
  void processCommands(int32_t dt);
  int32_t countGroup(int column, int row, int trialColour, bool mark);
  int32_t react();
  void closeChain();
  bool isAlive();
  // One frame of this player; 1 while it is in the game, 0 once it no longer counts.
  int update(int32_t dt);
  void addFinalBonus();

  // Posts a sound effect on the game's bus (nothing when the player has no game).
  void playSound(const std::string& name);
  int playerCount() const;
  int mode() const;
  // What a chain closed now is multiplied by: 1, or 2 and up while the multiplier runs.
  int scoreMultiplier() const;

private:
  void returnToIdle();
  void moveCursor(int32_t dt);
  // True when the front command must wait for a later frame.
  bool runCommand(int32_t command);
  void grab();
  void advanceFlight(int32_t dt);
  int32_t advanceFalling(int32_t dt);
  void advanceLasers(int32_t dt);
  int32_t advanceExplosions(int32_t dt);
  void deliverRows();
  void spreadColour(int column, int row, int colour);
};
