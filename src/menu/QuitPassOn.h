#pragma once

// Puts a quit request back on SDL's queue for the loop around the one that took it, so
// every open menu, capture and wait closes in turn and the program ends through its normal
// shutdown, settings saved.
void passOnQuit();
