#include "HumanController.h"

#include "Binding.h"
#include "GameLoop.h"

void HumanController::handle(int id, void* data, MessageBus*) {
  if (id != PlayerCommand || !loop || !data) return;
  const Binding* binding = messageData<PlayerCommand>(data);
  if (binding->player != index) return;
  loop->add(index, binding->command);
}

int HumanController::attach(GameLoop* newLoop, int newIndex) {
  int result = PlayerController::attach(newLoop, newIndex);
  if (result == 0) newLoop->bus.subscribe(PlayerCommand, this);
  return result;
}
