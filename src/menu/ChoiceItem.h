#pragma once

#include <vector>

#include "MenuItem.h"

struct Choice {
  std::string name;
  int value;
};

// A setting with a fixed list of values: each activation steps forward, wrapping, and
// stores the new value straight into the setting.
class ChoiceItem : public MenuItem {
public:
  ChoiceItem(std::string label, int* setting, std::vector<Choice> choices);

  void draw(SDL_Surface* screen, Sint16 x, Sint16 y, Uint16 lineHeight, Font* font) override;
  int activate() override;
  std::string text() const;

  std::vector<Choice> choices;
  int* setting;
  unsigned current = 0;
};
