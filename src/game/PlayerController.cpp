#include "PlayerController.h"

#include "Game.h"

int PlayerController::attach(Game* newGame, int newIndex) {
  // A game has two places; anything else is refused like a taken place.
  if (!newGame || newIndex < 0 || newIndex > 1) return 1;
  Player& player = newGame->players[newIndex];
  if (player.controller) return 1;
  player.reset();
  player.game = newGame;
  player.controller = this;
  player.bank.player = &player;
  player.bank.bus = &newGame->bus;
  newGame->bus.subscribe(SendPowerUp, &player.bank);
  newGame->bus.subscribe(SendDuds, &player.bank);
  game = newGame;
  index = newIndex;
  return 0;
}
