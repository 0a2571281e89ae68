#pragma once

#include <cstdint>
#include <cstdlib>
#include <map>
#include <vector>

#include "RollbackGame.h"

// A small deterministic game for proving sessions: two fighters whose every command moves
// them and whose attacks hurt the other, so that an input taken a tick early or late, or
// on one side only, changes the outcome. Each attack makes a sound.
struct ToyState {
  int32_t position[2] = {0, 0};
  int32_t health[2] = {0, 0};
  uint32_t random = 0;
  uint32_t ticks = 0;
  bool over = false;
};

class ToyGame : public RollbackGame {
public:
  // Commands of the toy game: 0..ToyCommands-1; Attack hurts the other fighter.
  static constexpr int ToyCommands = 6;
  static constexpr uint8_t Attack = 3;

  // The setup: a 4-byte starting value and the fighters' starting health.
  static std::vector<uint8_t> setupBytes(uint32_t start, uint8_t health);

  bool begin(const uint8_t* setup, size_t size) override;
  int32_t tickLength(uint32_t tick) const override { return tick % 3 == 2 ? 16 : 17; }
  void save(int slot) override;
  void load(int slot) override;
  bool step(uint32_t tick, const TickInputs& inputs, bool firstTime) override;
  uint64_t digest() const override;
  void confirmed(uint32_t tick, const TickInputs& inputs) override;

  ToyState state;
  // A game that refuses every setup.
  bool refuseSetup = false;
  // A save that leaves out the random state: what the sync test is there to find.
  bool forgetRandomOnSave = false;

  // Written down as the session drives the game.
  std::map<uint32_t, uint64_t> steppedDigests;    // each tick's digest as last stepped
  std::map<uint32_t, uint64_t> confirmedDigests;  // ... once confirmed
  std::map<uint32_t, int> soundsReported;         // ticks whose sounds were reported, how often
  uint32_t steps = 0;

private:
  ToyState slots[StateSlots];
};

// A player of the toy game: presses at random, more when the other fighter is close, from
// its own generator, reading the (possibly guessed) state before each tick.
class ToyPlayer {
public:
  ToyPlayer(int side, uint32_t start) : side(side), random(start) {}
  TickInput next(const ToyState& state);

private:
  int side;
  uint32_t random;
};
