#pragma once

#include "Command.h"

// A key or joystick input bound to a command of one player.
struct Binding {
  int command;
  int player;
  bool operator==(const Binding& other) const {
    return command == other.command && player == other.player;
  }
  bool operator!=(const Binding& other) const { return !(*this == other); }
};
