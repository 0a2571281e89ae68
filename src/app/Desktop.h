#pragma once

// What the game needs to know about the screen it opens its window on, read from the X
// server before SDL starts: the size of the monitor holding the pointer (or of the whole
// screen when XRandR cannot tell), that monitor's refresh rate, and whether the server
// lets programs draw on a GPU. Zeros for anything that cannot be read, and for everything
// when there is no X display at all.
struct Desktop {
  int width = 0;
  int height = 0;
  double refreshHz = 0;
  // False only for a server known to offer no GPU rendering (none of DRI3, DRI2 or
  // NVIDIA's GLX): a virtual one such as Xvfb or a VNC server, where OpenGL is emulated
  // on the CPU.
  bool gpu = true;
};

Desktop findDesktop();
