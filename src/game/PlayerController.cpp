#include "PlayerController.h"

#include "GameLoop.h"

int PlayerController::attach(GameLoop* newLoop, int newIndex) {
  if (!newLoop || newIndex < 0 || newIndex >= newLoop->game.playerCount()) return 1;
  if (newLoop->controllers[newIndex]) return 1;
  newLoop->controllers[newIndex] = this;
  loop = newLoop;
  index = newIndex;
  return 0;
}
