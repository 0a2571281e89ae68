#pragma once

class MessageBus;

// Anything that receives messages from a game's bus.
class Listener {
public:
  virtual void handle(int id, void* data, MessageBus* bus) = 0;
  virtual ~Listener() = default;
};
