#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "AutoPlayer.h"
#include "ComputerController.h"
#include "GameLoop.h"
#include "HumanController.h"

// A whole game with no window and no sound: the real loop, bus and controllers, set up
// the way the launcher does, with automatic players at the keys (unless told otherwise,
// for a replay) and a clock that moves by the given frame lengths in turn. Everything
// comes from the starting value, so the same arguments always play the same game. A
// player given a computer level (1..5) is played by a ComputerController instead.
class HeadlessGame : public Listener {
public:
  HeadlessGame(int mode, uint32_t startValue, std::vector<int32_t> frameLengths,
               uint32_t limitMs = 60 * 60 * 1000, std::array<int, 2> computerLevels = {},
               bool automatic = true);

  // Plays to the end through the main loop; gives up (aborts) after limitMs of play.
  void play();
  void handle(int id, void* data, MessageBus* bus) override;

  GameLoop loop;
  Game& game = loop.game;
  HumanController controllers[2];
  std::unique_ptr<AutoPlayer> autoPlayers[2];
  std::unique_ptr<ComputerController> computers[2];
  // Called after every pass of the loop, where the renderer would draw.
  std::function<void(Game&)> onFrame;
  bool gaveUp = false;
  int64_t polls = 0;  // passes of the loop so far, counted as each one polls the input

  // The setup of such a game: the mode, both boards' rows from the starting value (the
  // clock's first reading) and the banks' starting values drawn from it.
  static GameSetup setupFor(int mode, uint32_t startValue);

private:
  std::vector<int32_t> frameLengths;
  size_t nextFrame = 0;
  uint32_t start;
  uint32_t now;
  uint32_t limit;
};
