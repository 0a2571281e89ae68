#include <cstdio>

#include "Display.h"
#include "GameContext.h"
#include "GameOverWait.h"

// Built where there is no UDP to play over (a web page): the player who asked for a network
// game hears why there is none and is back in the menu.
bool GameContext::runNetworkGame() {
  const char* why = "Network play is not available in a web browser";
  std::fprintf(stderr, "Pigmora: %s\n", why);
  display->showNotice(std::string(why) + "\n\nPress a key");
  ::gameOverWait({});
  return false;
}
