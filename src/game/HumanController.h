#pragma once

#include "PlayerController.h"

// Passes the commands the input poller reads for its player on to that player's queue.
class HumanController : public PlayerController {
public:
  void handle(int id, void* data, MessageBus* bus) override;
  int attach(GameLoop* loop, int index) override;
};
