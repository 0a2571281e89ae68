#pragma once

// Keeps the screen awake while the game runs: the screen-saver time-out goes up to the
// longest the display allows and display power management is switched off, and both
// are put back as they were when the game ends. On an X11 display this talks to the X
// server; with no display it does nothing.
namespace PowerSaving {

// The longest screen-saver time-out we ask for: twelve hours.
constexpr int GameTimeoutSeconds = 43200;

// Remembers the current values; call once at start-up.
void save();
// Sets the values the game wants for as long as the process lives.
void keepAwake();
// Puts the remembered values back and lets go of the display.
void restore();

// What the display holds now, for the curious (and the tests): the time-out in seconds,
// and whether power management is on. Both -1 when there is no display.
int currentTimeout();
int currentPowerManagement();

}  // namespace PowerSaving
