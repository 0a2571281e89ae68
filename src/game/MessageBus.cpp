#include "MessageBus.h"

#include <cstddef>

void MessageBus::subscribe(int id, Listener* listener) {
  listeners[id].push_back(listener);
}

int MessageBus::deliver(int id, void* data) {
  auto found = listeners.find(id);
  if (found == listeners.end()) return 0;
  // Subscriptions only happen while a game is set up, never during delivery, so the
  // list cannot change under us; indexing keeps that safe even so.
  const std::vector<Listener*>& list = found->second;
  int called = 0;
  for (std::size_t i = 0; i < list.size(); ++i) {
    list[i]->handle(id, data, this);
    ++called;
  }
  return called;
}
