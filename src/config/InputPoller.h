#pragma once

#include <map>

#include "Listener.h"

// Turns the keyboard and joystick events of a running game into bus messages through the
// player's bindings. Subscribed to PollInput; each poll drains SDL's whole queue.
class InputPoller : public Listener {
public:
  void handle(int id, void* data, MessageBus* bus) override;
};

// Last direction seen per joystick axis (key: joystick + 256 * axis), kept for the whole
// process so that holding a stick across games does not repeat its command.
extern std::map<int, int> AxisStates;

// The direction an axis value stands for under the dead zone: +1, -1 or 0.
int axisDirection(int value, int threshold);
