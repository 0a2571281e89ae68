#pragma once

#include <functional>

// Keeps the last frame of a game on screen until a key or joystick button is pressed,
// ignoring presses in the first 2000 ms so that a player still hammering keys does not
// skip the results. A quit request ends the wait and stays queued for the menu. A window
// that lost its picture (uncovered) gets it back.
// startOverMusic is called first when music is switched on.
void gameOverWait(const std::function<void()>& startOverMusic);
