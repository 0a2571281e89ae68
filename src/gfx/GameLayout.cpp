#include "GameLayout.h"

#include "ImageFiles.h"

GameLayout::GameLayout(int mode) : GameSetup(mode) {
  if (playerCount == 2) {
    background = loadImageFile("./Backgrounds/ocean2p.jpg", false);
    boardRects = {{31, 33, 224, 416}, {371, 33, 224, 416}};
    bankRects = {{273, 36, 32, 384}, {325, 36, 32, 384}};
    scoreRects = {{31, 9, 224, 24}, {371, 9, 224, 24}};
  } else {
    background = loadImageFile("./Backgrounds/1p.jpg", false);
    boardRects = {{191, 33, 224, 416}};
    scoreRects = {{191, 8, 224, 32}};
  }
}

GameLayout::~GameLayout() {
  SDL_FreeSurface(background);
  SDL_FreeSurface(convertedBackground);
}
