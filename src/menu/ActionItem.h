#pragma once

#include "MenuAction.h"
#include "MenuItem.h"

// A line that runs an action. Without one, activating it closes its menu: that is how
// "Done", "Exit" and the About text work.
class ActionItem : public MenuItem {
public:
  ActionItem(std::string label, MenuAction* action = nullptr, int parameter = 0)
      : MenuItem(std::move(label)), action(action), parameter(parameter) {}
  ~ActionItem() override { delete action; }
  ActionItem(const ActionItem&) = delete;
  ActionItem& operator=(const ActionItem&) = delete;

  int activate() override { return action ? action->invoke(*this) : 0; }

  MenuAction* action;
  int parameter;
};
