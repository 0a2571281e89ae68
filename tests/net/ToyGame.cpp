#include "ToyGame.h"

namespace {

uint32_t nextToyRandom(uint32_t& state) {
  state = state * 1664525u + 1013904223u;
  return state >> 8;
}

}  // namespace

std::vector<uint8_t> ToyGame::setupBytes(uint32_t start, uint8_t health) {
  return {static_cast<uint8_t>(start), static_cast<uint8_t>(start >> 8),
          static_cast<uint8_t>(start >> 16), static_cast<uint8_t>(start >> 24), health};
}

bool ToyGame::begin(const uint8_t* setup, size_t size) {
  if (refuseSetup || size != 5 || setup[4] == 0) return false;
  state = ToyState();
  state.random = setup[0] | setup[1] << 8 | setup[2] << 16 | static_cast<uint32_t>(setup[3]) << 24;
  state.health[0] = state.health[1] = setup[4];
  state.position[1] = 500;
  return true;
}

void ToyGame::save(int slot) {
  slots[slot] = state;
  if (forgetRandomOnSave) slots[slot].random = 0;
}

void ToyGame::load(int slot) {
  state = slots[slot];
}

bool ToyGame::step(uint32_t tick, const TickInputs& inputs, bool firstTime) {
  steps += 1;
  bool sound = false;
  if (!state.over) {
    for (int side = 0; side < 2; ++side) {
      const TickInput& input = inputs.side[side];
      for (int i = 0; i < input.count; ++i) {
        uint8_t command = input.commands[i];
        state.position[side] =
            static_cast<int32_t>((state.position[side] * 31u + command * 7u + tick) % 1000u);
        if (command == Attack) {
          state.health[1 - side] -= 1 + static_cast<int32_t>(nextToyRandom(state.random) % 3);
          sound = true;
        }
      }
    }
    if (tick % 60 == 59) {
      state.health[0] -= 1;
      state.health[1] -= 1;
    }
    state.over = state.health[0] <= 0 || state.health[1] <= 0;
    state.ticks += 1;
  }
  if (sound && firstTime) soundsReported[tick] += 1;
  steppedDigests[tick] = digest();
  return state.over;
}

uint64_t ToyGame::digest() const {
  uint64_t hash = 1469598103934665603ull;
  auto mix = [&hash](uint32_t value) {
    for (int i = 0; i < 4; ++i) {
      hash ^= (value >> (8 * i)) & 0xFF;
      hash *= 1099511628211ull;
    }
  };
  for (int side = 0; side < 2; ++side) {
    mix(static_cast<uint32_t>(state.position[side]));
    mix(static_cast<uint32_t>(state.health[side]));
  }
  mix(state.random);
  mix(state.ticks);
  mix(state.over);
  return hash;
}

void ToyGame::confirmed(uint32_t tick, const TickInputs&) {
  confirmedDigests[tick] = steppedDigests[tick];
}

TickInput ToyPlayer::next(const ToyState& state) {
  TickInput input;
  int distance = std::abs(state.position[side] - state.position[1 - side]);
  uint32_t roll = nextToyRandom(random) % 100;
  if (roll < (distance < 300 ? 12u : 5u))
    input.add(static_cast<uint8_t>(nextToyRandom(random) % ToyGame::ToyCommands));
  if (roll < 2) input.add(ToyGame::Attack);
  return input;
}
