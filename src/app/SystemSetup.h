#pragma once

// Starts SDL (timer, video, joysticks), opens every joystick, names the window and keeps
// the screen awake; registers RestoreSystem to run at exit. 0 on success, -1 when SDL
// cannot start.
int InitSystem();

// Puts the screen-saver values back and shuts SDL down. Runs at exit, however the
// program ends (normally, or at once through Alt+F4, Ctrl+C or closing a game's window).
void RestoreSystem();

// The game's version, as the greeting shows it.
extern const char* const PigmoraVersion;
