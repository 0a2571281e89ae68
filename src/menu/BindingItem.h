#pragma once

#include <map>

#include "MenuItem.h"

// A line of the Controls screen: a command's label and, in a second column, every input
// bound to it. Activating it waits for the next key, button or stick push and binds it.
class BindingItem : public MenuItem {
public:
  BindingItem(const char* label, int command, int player)
      : MenuItem(label), command(command), player(player) {}
  ~BindingItem() override;

  void draw(SDL_Surface* screen, Sint16 x, Sint16 y, Uint16 lineHeight, Font* font) override;
  int activate() override;

  int command;
  int player;
  std::string boundText;
  bool capturing = false;
  SDL_TimerID blinkTimer{};
  unsigned blinkCount = 0;

  // Where the second column starts, right of the line's left edge.
  static constexpr int BoundTextOffset = 200;
  static constexpr Uint32 BlinkInterval = 333;

private:
  // Returns true once the event ended the capture.
  bool capture(const SDL_Event& event);
  void finish();
};

// Last direction of each joystick axis as the capture saw it, kept apart from the menus'
// and the game's own tables.
extern std::map<int, int> CaptureAxisStates;
