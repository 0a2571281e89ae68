#pragma once

#include <cstdint>
#include <functional>

#include "GameSetup.h"
#include "Listener.h"
#include "MessageBus.h"
#include "Player.h"

enum GameState {
  Running = 0,
  Ending = 1,  // fewer players left than began: boards settle, no more commands
  Over = 2,
};

// One game: its bus, both player records, the frame clock and the game state.
class Game : public Listener {
public:
  Game();
  Game(const Game&) = delete;
  Game& operator=(const Game&) = delete;

  void handle(int id, void* data, MessageBus* bus) override;
  ~Game() override = default;

  MessageBus bus;
  Player players[2];
  uint32_t lastTicks = 0;
  int32_t frameDelta = 0;
  int32_t state = Running;
  bool paused = false;
  GameSetup* layout = nullptr;
  // Milliseconds from a fixed start, handed in by whoever runs the game (SDL's clock in
  // runGame, a driven one in tests and tools); a game given none stands still.
  std::function<uint32_t()> clock;

  // The main loop: music once, both row generators started alike, then input, update and
  // drawing on every pass until the game is over.
  void run();
  void updateGame();
  void togglePause();
};
