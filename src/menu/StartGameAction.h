#pragma once

#include "ActionItem.h"
#include "GameContext.h"

// Starts the game whose mode the item carries; the main menu shows again afterwards.
class StartGameAction : public MenuAction {
public:
  explicit StartGameAction(GameContext* context) : gameContext(context) {}
  int invoke(ActionItem& item) override {
    if (gameContext->runGame(item.parameter)) gameContext->gameOverWait();
    return 1;
  }

  GameContext* gameContext;
};
