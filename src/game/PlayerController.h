#pragma once

#include "Listener.h"

class GameLoop;

// Links a source of commands to one player of a game.
class PlayerController : public Listener {
public:
  int index = -1;
  GameLoop* loop = nullptr;

  // 0 when attached, 1 when the place does not exist or already has a controller.
  virtual int attach(GameLoop* loop, int index);
  ~PlayerController() override = default;
};
