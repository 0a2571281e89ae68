#pragma once

#include <SDL.h>

#include <map>

#include "KeyNames.h"
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

// Whether the axis of the event now points another way (+1, -1 or 0, by the Threshold
// setting) than the last direction stored for it in lastDirections, which it updates. The
// menus, the binding capture and the game each keep their own table.
bool axisTurned(std::map<int, int>& lastDirections, const SDL_JoyAxisEvent& motion, int& direction);

// The packed joystick inputs of an axis pushed one way (direction +1 or -1) and of a button.
JoystickInput axisInput(const SDL_JoyAxisEvent& motion, int direction);
JoystickInput buttonInput(const SDL_JoyButtonEvent& press);
