#include "LostDisplay.h"

#include <X11/Xlib.h>
#include <cstdio>
#include <cstdlib>

namespace {

int displayLost(Display* display) {
  std::fflush(stdout);
  std::fprintf(stderr, "Pigmora: lost the connection to the X display \"%s\"; quitting.\n",
               DisplayString(display));
  // Not exit(): this may already be running inside exit(), from an exit handler.
  std::_Exit(LostDisplay::ExitStatus);
}

}  // namespace

void LostDisplay::endPromptlyWhenLost() {
  XSetIOErrorHandler(displayLost);
}
