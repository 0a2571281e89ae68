#pragma once

#include <SDL.h>

#include <string>
#include <vector>

#include "GameSetup.h"

// Where everything of one game goes on the screen. The game reads only the GameSetup
// part; the rectangles and the background are the renderer's.
class GameLayout : public GameSetup {
public:
  // Loads the mode's background; a missing one leaves the screen black behind the boards.
  explicit GameLayout(int mode);
  ~GameLayout();
  GameLayout(const GameLayout&) = delete;
  GameLayout& operator=(const GameLayout&) = delete;

  SDL_Surface* background = nullptr;
  SDL_Surface* convertedBackground = nullptr;  // in the screen's format, made when drawn
  std::vector<SDL_Rect> boardRects;            // one per player, 7 x 32 by 13 x 32
  std::vector<SDL_Rect> bankRects;             // the stored power-ups, two players only
  std::vector<SDL_Rect> scoreRects;            // the score, right-aligned
  SDL_Rect clockRect = {0, 0, 639, 479};
  // The player whose board is drawn on the left: 0, or 1 for the joiner of a network game.
  int leftPlayer = 0;
  // The player who left a network game (or a replay of one), for the results; -1: nobody.
  int leaver = -1;
  // A network game that ended with nobody winning (its connection lost): so the results say.
  bool noWinner = false;
  // A replay being watched, marked so on screen.
  bool replay = false;
  // A network game being watched: the words under the boards ("Watching, 5 s behind").
  std::string watching;
};
