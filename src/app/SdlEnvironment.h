#pragma once

#include "Desktop.h"

// The largest whole scale at which the 640x480 screen still fits within nine tenths of
// the desktop's width and height; 1 when even that does not fit or the size is unknown.
int windowScaleFor(int desktopWidth, int desktopHeight);

// Chooses how SDL shows the game, before SDL starts: the flip waits for the display,
// the window grows by the scale that fits the desktop, every pad SDL knows numbers its
// buttons the standard way (A, B, X, Y first), and where the desktop has no GPU the
// picture goes to the window by SDL's software renderer alone. A value the player has
// set already is left as it is.
void prepareSdlEnvironment(const Desktop& desktop);
