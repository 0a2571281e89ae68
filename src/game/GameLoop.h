#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "Game.h"
#include "Input.h"
#include "Listener.h"
#include "MessageBus.h"
#include "PlayerController.h"
#include "StepEvents.h"

// Runs one game: its bus, the game's value, and the inputs gathered on each pass. On
// every pass it posts PollInput (people, the computer and replays add their inputs),
// UpdateGame (the game steps with them and the sounds it made are posted as PlaySound)
// and RenderFrame, until the game is over.
class GameLoop : public Listener {
public:
  explicit GameLoop(const GameSetup& setup);
  GameLoop(const GameLoop&) = delete;
  GameLoop& operator=(const GameLoop&) = delete;
  ~GameLoop() override = default;

  void handle(int id, void* data, MessageBus* bus) override;

  // How the length of each pass is found: measured on the clock (local play), or fixed
  // ticks of 17, 17, 16 ms taken from the pass number.
  enum class Pacing { Measured, FixedTicks };

  MessageBus bus;
  Game game;
  // The screen layout of this game, for the renderer; the rules never read it.
  GameSetup* layout = nullptr;
  // Milliseconds from a fixed start, handed in by whoever runs the game (SDL's clock in
  // runGame, a driven one in tests and tools); a loop given none stands still.
  std::function<uint32_t()> clock;
  Pacing pacing = Pacing::Measured;
  // Told of every pass stepped, with its length and inputs: what a replay keeps.
  std::function<void(int32_t dt, const PassInput& input)> onPass;
  uint32_t lastTicks = 0;
  // The inputs of the pass under way, gathered while PollInput is posted.
  PassInput pending;
  // A line or two shown over the boards while it is not empty (a network game's state).
  std::string notice;
  // Held by whoever steps it (a replay's viewer): shown as paused, though the game is not.
  bool held = false;
  // Who plays each board; a place is taken once.
  PlayerController* controllers[2] = {nullptr, nullptr};

  // Adds an input to the pass under way.
  void add(int player, int command) { pending.add(player, command); }
  // The main loop: music once, then input, update and drawing on every pass until the
  // game is over.
  void run();
  // Steps the game by one pass of dt ms with the inputs gathered, posts its sounds.
  void step(int32_t dt);

private:
  int32_t measureFrame();
  StepEvents events;
};
