#include "Game.h"

#include <algorithm>
#include <string>

#include "Tuning.h"

Game::Game() : clock([] { return 0u; }) {
  bus.subscribe(TogglePause, this);
  bus.subscribe(AbortGame, this);
  bus.subscribe(UpdateGame, this);
}

void Game::handle(int id, void*, MessageBus*) {
  switch (id) {
    case TogglePause:
      togglePause();
      break;
    case AbortGame:
      state = Over;
      break;
    case UpdateGame:
      updateGame();
      break;
    default:
      break;
  }
}

void Game::togglePause() {
  paused = !paused;
  if (paused) return;
  // Whatever was pressed during the pause is not played out afterwards.
  for (Player& player : players)
    if (player.controller) player.commands.clear();
}

void Game::updateGame() {
  uint32_t now = clock();
  // A frame longer than a minute (the machine was suspended) is taken as one minute: the
  // rules' fixed-point steps would overflow on much longer ones.
  if (lastTicks != 0)
    frameDelta = static_cast<int32_t>(std::min<uint32_t>(now - lastTicks, LongestFrame));
  lastTicks = now;
  if (paused) return;
  int alive = 0;
  for (Player& player : players)
    if (player.controller) alive += player.update(frameDelta);
  int expected = layout ? layout->playerCount : 1;
  // An abort is final: a board still settling must not pull the game back to Ending.
  if (alive < expected && state != Over) state = Ending;
  if (alive == 0) state = Over;
}

void Game::run() {
  uint32_t start = clock();
  std::string music = layout ? layout->musicName : std::string();
  bus.post(PlayMusic, &music);
  players[0].board.rowSeed = start;
  players[1].board.rowSeed = start;
  while (state != Over) {
    bus.post(PollInput, nullptr);
    bus.post(UpdateGame, nullptr);
    bus.post(RenderFrame, this);
  }
}
