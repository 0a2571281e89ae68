#include "Game.h"

#include "StateCodec.h"

Game::Game(const GameSetup& newSetup) : setup(newSetup) {
  for (int i = 0; i < 2; ++i) players[i].seat(setup, i);
}

void Game::takeInputs(const PassInput& pass) {
  for (const Input& input : pass) {
    if (input.command == Command::Pause)
      togglePause();
    else if (input.command == Command::AbortGame)
      state = Over;
    else if (input.player < setup.playerCount)
      players[input.player].commands.push_back(input.command);
  }
}

int Game::updatePlayer(int index, int32_t dt, StepEvents& events) {
  size_t sentBefore = events.sent.size();
  int alive = players[index].update(dt, state, events);
  // What this board sent reaches the other one as soon as its own update is over.
  for (size_t m = sentBefore; m < events.sent.size(); ++m)
    for (int j = 0; j < setup.playerCount; ++j)
      players[j].bank.receive(players[j], events.sent[m], events);
  return alive;
}

void Game::togglePause() {
  paused = !paused;
  if (paused) return;
  // Whatever was pressed during the pause is not played out afterwards.
  for (Player& player : players) player.commands.clear();
}

bool Game::takesCommands(const PassInput& pending) const {
  bool willPause = paused;
  GameState willState = state;
  for (const Input& input : pending) {
    if (input.command == Command::Pause) willPause = !willPause;
    if (input.command == Command::AbortGame) willState = Over;
  }
  return !willPause && willState == Running;
}

void Game::step(int32_t dt, const PassInput& input, StepEvents& events) {
  events.clear();
  takeInputs(input);
  ++passes;
  frameDelta = dt;
  if (paused) return;
  int alive = 0;
  for (int i = 0; i < setup.playerCount; ++i) alive += updatePlayer(i, dt, events);
  // An abort is final: a board still settling must not pull the game back to Ending.
  if (alive < setup.playerCount && state != Over) state = Ending;
  if (alive == 0) state = Over;
}

uint64_t Game::digest() const {
  return digestOf(*this);
}

bool Game::operator==(const Game& other) const {
  return serialise(*this) == serialise(other);
}

std::vector<uint8_t> saveState(const Game& game) {
  return serialise(game);
}

bool loadState(Game& game, const std::vector<uint8_t>& bytes) {
  Game loaded;
  StateReader reader(bytes.data(), bytes.size());
  reader(loaded);
  if (!reader.ok() || !loaded.setup.valid()) return false;
  game = loaded;
  return true;
}
