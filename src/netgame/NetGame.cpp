#include "NetGame.h"

#include "StateCodec.h"

std::vector<uint8_t> NetGame::setupBytes(const GameSetup& setup) {
  return serialise(setup);
}

bool NetGame::readSetup(const uint8_t* data, size_t size, GameSetup& setup) {
  GameSetup read;
  StateReader reader(data, size);
  reader(read);
  if (!reader.ok() || !read.valid() || read.mode != GameMode::Versus) return false;
  setup = read;
  return true;
}

PassInput NetGame::passOf(const TickInputs& inputs) {
  PassInput pass;
  for (int side = 0; side < 2; ++side) {
    const TickInput& input = inputs.side[side];
    for (int i = 0; i < input.count; ++i)
      if (input.commands[i] == Command::AbortGame)
        pass.add(0, Command::AbortGame);  // the game's controls belong to player 0
      else if (playable(input.commands[i]))
        pass.add(side, input.commands[i]);
  }
  return pass;
}

bool NetGame::begin(const uint8_t* bytes, size_t size) {
  GameSetup setup;
  if (!readSetup(bytes, size, setup)) return false;
  game = Game(setup);
  sounds.clear();
  return true;
}

bool NetGame::step(uint32_t tick, const TickInputs& inputs, bool firstTime) {
  if (game.state == Over) return true;
  game.step(::tickLength(tick), passOf(inputs), events);
  if (firstTime)
    for (const SoundEvent& sound : events.sounds) sounds.push_back({tick, sound});
  return game.state == Over;
}

void NetGame::confirmed(uint32_t tick, const TickInputs& inputs) {
  if (onConfirmed) onConfirmed(tick, inputs);
}

ComputerInput::ComputerInput(int side, int level, uint32_t startValue)
    : side(side), loop(GameSetup(GameMode::Versus)), computer(level, startValue) {
  computer.attach(&loop, side);
}

TickInput ComputerInput::next(const Game& game) {
  loop.game = game;
  loop.pending = PassInput();
  loop.bus.post<PollInput>();
  TickInput input;
  for (const Input& pressed : loop.pending)
    if (pressed.player == side && pressed.command <= Command::PowerUp)
      input.add(static_cast<uint8_t>(pressed.command));
  return input;
}
