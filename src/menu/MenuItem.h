#pragma once

#include <SDL.h>
#include <string>

class Font;
class Menu;

// One line of a menu. A menu is itself an item, so a submenu is a line of its parent.
class MenuItem {
public:
  explicit MenuItem(std::string label) : label(std::move(label)) {}
  virtual ~MenuItem() = default;

  // Draws the item at (x, y) and remembers where, which makes its hit rectangle.
  virtual void draw(SDL_Surface* screen, Sint16 x, Sint16 y, Uint16 lineHeight, Font* font);
  // True strictly inside the hit rectangle: a point on its border misses.
  virtual bool contains(int px, int py) const;
  // Does what the item is for; 0 closes the holding menu, anything else keeps it open.
  virtual int activate() = 0;
  // A mouse button went down over the item: activate when it comes up over it too.
  virtual int click();

  Menu* parent = nullptr;
  std::string label;
  Sint16 x = 0, y = 0;
  Uint16 width = 0, height = 0;

protected:
  void placeAt(Sint16 atX, Sint16 atY, Uint16 lineHeight);
};
