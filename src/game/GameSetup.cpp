#include "GameSetup.h"

#include "Board.h"

GameSetup::GameSetup(int newMode) {
  mode = newMode == GameMode::Versus || newMode == GameMode::Survival
             ? static_cast<GameMode::Value>(newMode)
             : GameMode::Practice;
  playerCount = mode == GameMode::Versus ? 2 : 1;
}

void GameSetup::startFrom(uint32_t rows, uint32_t banks) {
  rowSeeds[0] = rows;
  rowSeeds[1] = rows;
  bankSeeds[0] = banks;
  bankSeeds[1] = banks;
}

const char* GameSetup::musicName() const {
  return playerCount == 2 ? "2pMusic" : "1pMusic";
}

bool GameSetup::valid() const {
  bool knownMode =
      mode == GameMode::Practice || mode == GameMode::Versus || mode == GameMode::Survival;
  return knownMode && playerCount == (mode == GameMode::Versus ? 2 : 1) && columnCount >= 2 &&
         columnCount <= MaxBoardColumns && rowCount >= 5 && rowCount <= MaxBoardRows;
}
