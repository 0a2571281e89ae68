#include "GameSetup.h"

GameSetup::GameSetup(int mode) : mode(mode) {
  if (mode == GameMode::Versus) {
    musicName = "2pMusic";
    playerCount = 2;
  } else {
    musicName = "1pMusic";
    playerCount = 1;
  }
}
