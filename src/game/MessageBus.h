#pragma once

#include <map>
#include <vector>

#include "Listener.h"
#include "Messages.h"

// The synchronous publish-and-subscribe bus of one game. It never owns its listeners;
// delivery follows subscription order and may nest (a handler may post).
class MessageBus {
public:
  void subscribe(int id, Listener* listener);
  // Calls every listener of the id in turn; returns how many were called.
  int post(int id, void* data);

private:
  std::map<int, std::vector<Listener*>> listeners;
};
