#pragma once

#include <cstdint>
#include <vector>

#include "GameSetup.h"
#include "Input.h"
#include "Player.h"
#include "StepEvents.h"

// Everything one game is at one moment: both boards with their cursors, flights, banks,
// timers, random states and statistics, the game state and the pause. A plain value: it
// copies with `=`, compares with `==` and has a digest, so the computer can try moves on a
// copy, a replay can be checked and the network game can roll back. It changes only
// through `step`, from its setup and the inputs of each pass.
class Game {
public:
  Game() : Game(GameSetup()) {}
  explicit Game(const GameSetup& setup);

  GameSetup setup;
  Player players[2];
  int32_t frameDelta = 0;
  GameState state = Running;
  bool paused = false;
  uint32_t passes = 0;  // passes stepped so far

  // One pass: takes the inputs in their order (commands join their player's queue, Pause
  // toggles the pause, AbortGame ends the game), then, unless paused, advances every
  // player by dt ms. Says what it made heard in `events` (cleared first).
  void step(int32_t dt, const PassInput& input, StepEvents& events);
  // The two halves of a step: taking the inputs, and one player's update with the
  // delivery of what its board sent to the other.
  void takeInputs(const PassInput& input);
  int updatePlayer(int index, int32_t dt, StepEvents& events);
  // Whether commands given now would be played: not paused, still running (after the
  // inputs already gathered for this pass).
  bool takesCommands(const PassInput& pending) const;

  int playerCount() const { return setup.playerCount; }
  GameMode::Value mode() const { return setup.mode; }

  uint64_t digest() const;
  bool operator==(const Game& other) const;
  bool operator!=(const Game& other) const { return !(*this == other); }

  template <class V>
  void fields(V& v) {
    v(setup), v(players[0]), v(players[1]), v(frameDelta), v(state), v(paused), v(passes);
  }

private:
  void togglePause();
};

// The whole state in its fixed byte form, and back: false (and the game untouched) when
// the bytes are not a game's.
std::vector<uint8_t> saveState(const Game& game);
bool loadState(Game& game, const std::vector<uint8_t>& bytes);
