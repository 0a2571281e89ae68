#pragma once

class ActionItem;

// What an action item does when it is activated. The result keeps the menu open
// (non-zero) or closes it (0).
class MenuAction {
public:
  virtual int invoke(ActionItem& item) = 0;
  virtual ~MenuAction() = default;
};
