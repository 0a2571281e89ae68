#pragma once

#include <cstddef>
#include <cstdint>

#include "TickInput.h"

// What a session needs of the game it keeps in step on both sides. The game must be
// deterministic: the same setup and the same inputs, tick by tick, give the same states.
class RollbackGame {
public:
  // Saved states a session may ask for at once: more than the ticks it ever predicts.
  static constexpr int StateSlots = 32;

  virtual ~RollbackGame() = default;

  // Builds the starting state from the setup the host chose (the same bytes on both
  // sides). False when the bytes make no game: the session ends rather than play it.
  virtual bool begin(const uint8_t* setup, size_t size) = 0;
  // Milliseconds that tick `tick` lasts; the session's clock keeps this pace.
  virtual int32_t tickLength(uint32_t tick) const = 0;
  // Keeps the current state in slot 0..StateSlots-1 / brings it back.
  virtual void save(int slot) = 0;
  virtual void load(int slot) = 0;
  // Steps tick `tick` with both sides' inputs. `firstTime` is false when the tick is
  // stepped again after a rollback: what it made heard was heard already. True when the
  // game is over after this tick.
  virtual bool step(uint32_t tick, const TickInputs& inputs, bool firstTime) = 0;
  // A fingerprint of the whole current state.
  virtual uint64_t digest() const = 0;
  // Tick `tick` was stepped with both sides' final inputs: it will never be stepped again.
  virtual void confirmed(uint32_t /*tick*/, const TickInputs& /*inputs*/) {}
};
