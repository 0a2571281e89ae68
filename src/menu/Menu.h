#pragma once

#include <map>
#include <vector>

#include "MenuItem.h"

// A full-screen list of items with its own blocking event loop. Running a submenu or a
// game happens inside the loop of the menu that activated it.
class Menu : public MenuItem {
public:
  // Takes ownership of the items. The background is read from "./Backgrounds/<name>";
  // without one (or when it cannot be read) the nearest ancestor's background shows.
  Menu(const char* label, std::vector<MenuItem*> items, const char* backgroundName, Sint16 left,
       Sint16 top);
  ~Menu() override;
  Menu(const Menu&) = delete;
  Menu& operator=(const Menu&) = delete;

  // Opening a submenu runs it; the parent stays open when it closes.
  int activate() override;
  // The menu loop: returns when an item closes the menu or the program is asked to quit.
  void run();
  // Draws the whole screen for this menu and shows it.
  void redraw();

  SDL_Surface* background = nullptr;
  unsigned selected = 0;
  Sint16 left, top;
  std::vector<MenuItem*> items;

protected:
  // Set when the background belongs to someone else (the main menu borrows the
  // display's), so the menu must not free it.
  bool borrowedBackground = false;

private:
  bool handle(const SDL_Event& event, int& keepOpen, int savedPointer);
  int activateItem(MenuItem* item, int savedPointer);
  void clickSound();
};

// Last direction of each joystick axis as the menus saw it (key: joystick + 256 * axis),
// shared by every menu for the whole run.
std::map<int, int>& menuAxisTable();
