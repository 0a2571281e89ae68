#pragma once

#include "Listener.h"

class Game;

// Links a source of commands to one player of a game.
class PlayerController : public Listener {
public:
  int index = -1;
  Game* game = nullptr;

  // 0 when attached, 1 when that player already has a controller.
  virtual int attach(Game* game, int index);
  ~PlayerController() override = default;
};
