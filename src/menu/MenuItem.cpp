#include "MenuItem.h"

#include "Font.h"
#include "QuitPassOn.h"

void MenuItem::placeAt(Sint16 atX, Sint16 atY, Uint16 lineHeight) {
  x = atX;
  y = atY;
  height = lineHeight;
}

void MenuItem::draw(SDL_Surface* screen, Sint16 atX, Sint16 atY, Uint16 lineHeight, Font* font) {
  placeAt(atX, atY, lineHeight);
  font->draw(screen, label, x, y);
  width = static_cast<Uint16>(font->textWidth(label));
}

bool MenuItem::contains(int px, int py) const {
  return x < px && px < x + width && y < py && py < y + height;
}

int MenuItem::click() {
  SDL_Event event;
  for (;;) {
    if (!SDL_WaitEvent(&event)) continue;
    if (event.type == SDL_MOUSEBUTTONUP) {
      return contains(event.button.x, event.button.y) ? activate() : 1;
    }
    if (quitPassedOn(event)) return 0;
  }
}
