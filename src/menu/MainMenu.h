#pragma once

#include "GameContext.h"
#include "Menu.h"

// The root of the menu tree. Building it opens the window, loads the graphics and the
// sounds, and makes every screen of the front end; destroying it releases them all.
class MainMenu : public Menu {
public:
  // The warning and title pictures stay up for splashTime ms each while it loads.
  explicit MainMenu(int splashTime = 2000);
  ~MainMenu() override;

  GameContext* gameContext = nullptr;

  // The credits of the About screen: the game's name, its version and six lines.
  static const char* const AboutText;
};
