#include "GameSetup.h"

GameSetup::GameSetup(int mode) : mode(mode) {
  if (mode == 1) {
    musicName = "2pMusic";
    playerCount = 2;
  } else {
    musicName = "1pMusic";
    playerCount = 1;
  }
}
