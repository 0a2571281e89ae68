#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "ComputerController.h"
#include "Game.h"
#include "GameLoop.h"
#include "RollbackGame.h"

// A sound made by a tick stepped for the first time.
struct HeardSound {
  uint32_t tick;
  SoundEvent sound;
};

// The Versus game behind a rollback session: the game's value, saved and loaded whole,
// stepped tick by tick with both players' commands. A game that is over stays as it ended,
// so both sides hold the same last state however far either one guessed past it.
class NetGame : public RollbackGame {
public:
  // The commands a side sends: Left to PowerUp, and AbortGame when its player leaves, so
  // that both sides end the game at the same tick. Pause is never taken: the other player
  // cannot be stopped.
  static constexpr int CommandLimit = Command::AbortGame + 1;
  // One tick's inputs as a pass of the game: each side's commands for its player, a
  // leaving side's AbortGame as the game's own (player 0's) control.
  static PassInput passOf(const TickInputs& inputs);
  // Whether a command code from the other side is one a game takes.
  static bool playable(int command) {
    return command <= Command::PowerUp || command == Command::AbortGame;
  }

  // A Versus setup as the host sends it, and back (false when the bytes are not one).
  static std::vector<uint8_t> setupBytes(const GameSetup& setup);
  static bool readSetup(const uint8_t* data, size_t size, GameSetup& setup);

  bool begin(const uint8_t* setup, size_t size) override;
  int32_t tickLength(uint32_t tick) const override { return ::tickLength(tick); }
  void save(int slot) override { slots[slot] = game; }
  void load(int slot) override { game = slots[slot]; }
  bool step(uint32_t tick, const TickInputs& inputs, bool firstTime) override;
  uint64_t digest() const override { return game.digest(); }
  void confirmed(uint32_t tick, const TickInputs& inputs) override;

  Game game;
  // What the ticks made heard, each tick once, in order: taken by whoever plays them.
  std::vector<HeardSound> sounds;
  // Told of every confirmed tick with both players' inputs: what a replay keeps.
  std::function<void(uint32_t tick, const TickInputs& inputs)> onConfirmed;

private:
  Game slots[StateSlots];
  StepEvents events;
};

// The computer opponent at the keys of one side: each tick it looks at that side's game
// (guesses included, as a person would see it) and says what it presses.
class ComputerInput {
public:
  ComputerInput(int side, int level, uint32_t startValue);
  ComputerInput(const ComputerInput&) = delete;
  ComputerInput& operator=(const ComputerInput&) = delete;

  TickInput next(const Game& game);

private:
  int side;
  // The computer plays through a game loop's input pass; this one only carries the game
  // to it and its presses back.
  GameLoop loop;
  ComputerController computer;
};
