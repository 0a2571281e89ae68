#include "ChoiceItem.h"

#include "Font.h"

ChoiceItem::ChoiceItem(std::string label, int* setting, std::vector<Choice> choices)
    : MenuItem(std::move(label)), choices(std::move(choices)), setting(setting) {
  // A stored value that is not among the choices shows the first one, untouched until
  // the player steps it.
  for (unsigned i = 0; i < this->choices.size(); ++i)
    if (this->choices[i].value == *setting) {
      current = i;
      break;
    }
}

std::string ChoiceItem::text() const {
  return label + ": <" + choices[current].name + ">";
}

void ChoiceItem::draw(SDL_Surface* screen, Sint16 atX, Sint16 atY, Uint16 lineHeight, Font* font) {
  placeAt(atX, atY, lineHeight);
  std::string shown = text();
  font->draw(screen, shown, x, y);
  width = static_cast<Uint16>(font->textWidth(shown));
}

int ChoiceItem::activate() {
  current = (current + 1) % choices.size();
  *setting = choices[current].value;
  return 1;
}
