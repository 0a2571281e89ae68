#include <cstdio>

#include "Display.h"
#include "GameContext.h"
#include "GameOverWait.h"

namespace {
// The player who asked for the network hears why there is none and is back in the menu.
bool noNetwork(Display& display) {
  const char* why = "Network play is not available in a web browser";
  std::fprintf(stderr, "Pigmora: %s\n", why);
  display.showNotice(std::string(why) + "\n\nPress a key");
  ::gameOverWait({});
  return false;
}
}  // namespace

// Built where there is no UDP to play over (a web page).
bool GameContext::runNetworkGame() {
  return noNetwork(*display);
}
bool GameContext::runWatch() {
  return noNetwork(*display);
}
