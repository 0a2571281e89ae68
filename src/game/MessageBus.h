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
  // Calls every listener of the id in turn with what the id carries; returns how many were
  // called.
  template <int Id>
  int post(typename MessageData<Id>::Type* data = nullptr) {
    return deliver(Id, const_cast<void*>(static_cast<const void*>(data)));
  }

private:
  int deliver(int id, void* data);
  std::map<int, std::vector<Listener*>> listeners;
};
