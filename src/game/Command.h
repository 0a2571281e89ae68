#pragma once

// What a key or joystick input does during a game. Commands 0..5 belong to a player;
// Pause and AbortGame are the two global controls and always carry player 0.
namespace Command {
enum Value : int {
  Left = 0,
  Right = 1,
  Drop = 2,
  Grab = 3,
  PullDown = 4,
  PowerUp = 5,
  Pause = 6,
  AbortGame = 7,
};
}
