#include "GameLayout.h"

#include "ImageFiles.h"
#include "LayoutGeometry.h"

namespace {
SDL_Rect sdlRect(const geometry::Rect& r) {
  return {Sint16(r.x), Sint16(r.y), Uint16(r.w), Uint16(r.h)};
}
}  // namespace

GameLayout::GameLayout(int mode) : GameSetup(mode) {
  if (playerCount == 2) {
    background = loadImageFile("./Backgrounds/ocean2p.jpg", false);
    for (int i = 0; i < 2; ++i) {
      boardRects.push_back(sdlRect(geometry::kBoards2p[i]));
      bankRects.push_back(sdlRect(geometry::kBanks2p[i]));
      scoreRects.push_back(sdlRect(geometry::kScores2p[i]));
    }
  } else {
    background = loadImageFile("./Backgrounds/1p.jpg", false);
    boardRects = {sdlRect(geometry::kBoard1p)};
    scoreRects = {sdlRect(geometry::kScore1p)};
  }
}

GameLayout::~GameLayout() {
  SDL_FreeSurface(background);
  SDL_FreeSurface(convertedBackground);
}
