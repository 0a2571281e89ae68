#include "HumanController.h"

#include "Binding.h"
#include "Game.h"

void HumanController::handle(int id, void* data, MessageBus*) {
  if (id != PlayerCommand || !game || !data) return;
  const Binding* binding = static_cast<const Binding*>(data);
  if (binding->player != index) return;
  game->players[index].commands.push_back(binding->command);
}

int HumanController::attach(Game* newGame, int newIndex) {
  int result = PlayerController::attach(newGame, newIndex);
  if (result == 0) newGame->bus.subscribe(PlayerCommand, this);
  return result;
}
