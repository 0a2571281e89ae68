#include "GameContext.h"

#include <SDL.h>

#include <ctime>

#include "ComputerController.h"
#include "Display.h"
#include "Game.h"
#include "GameLayout.h"
#include "GameOverWait.h"
#include "HumanController.h"
#include "InputPoller.h"
#include "Settings.h"
#include "SoundManager.h"

void GameContext::runGame(int mode) {
  if (mode < GameMode::Practice || mode > GameMode::Survival) return;
  GameLayout layout(mode);
  Game game;
  game.clock = [] { return static_cast<uint32_t>(SDL_GetTicks()); };
  game.layout = &layout;
  HumanController controllers[2];
  ComputerController computer(versusComputerLevel, static_cast<uint32_t>(time(nullptr)));
  InputPoller poller;
  FramePacer pacer(displayRefreshHz);

  game.bus.subscribe(PollInput, &poller);
  game.bus.subscribe(RenderFrame, display);
  game.bus.subscribe(RenderFrame, &pacer);
  if (sound) {
    game.bus.subscribe(PlaySound, &sound->listener);
    game.bus.subscribe(PlayMusic, &sound->listener);
  }
  bool againstComputer = layout.playerCount == 2 && versusComputerLevel > 0;
  for (int player = 0; player < layout.playerCount; ++player) {
    if (player == 1 && againstComputer)
      computer.attach(&game, player);
    else
      controllers[player].attach(&game, player);
  }
  game.run();
}

void GameContext::gameOverWait() {
  ::gameOverWait([this] {
    if (sound) sound->playMusic("Over");
  });
}
