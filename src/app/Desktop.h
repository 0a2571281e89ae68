#pragma once

// What the game needs to know about the screen it opens its window on, read from the X
// server before SDL starts: the size of the monitor holding the pointer (or of the whole
// screen when XRandR cannot tell) and that monitor's refresh rate. Zeros for anything
// that cannot be read, and for everything when there is no X display at all.
struct Desktop {
  int width = 0;
  int height = 0;
  double refreshHz = 0;
};

Desktop findDesktop();
