#pragma once

// When the X server goes away (killed, or a remote session dropped), Xlib's own handler
// calls exit(). That runs the exit handlers, whose screen-saver restore talks to the dead
// server and makes Xlib call exit() again from inside exit(). Our handler ends the process
// at once instead, with a word on standard error: nothing is left on that server to put
// back, and the settings file is not touched.
namespace LostDisplay {

// The exit status of a game whose display went away.
constexpr int ExitStatus = 1;

// Takes over X's I/O error handling for every connection of the process, SDL's included.
void endPromptlyWhenLost();

}  // namespace LostDisplay
