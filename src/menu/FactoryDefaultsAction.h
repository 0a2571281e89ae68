#pragma once

#include "ActionItem.h"
#include "Settings.h"

// Puts every key and joystick binding back as the game ships; the screen stays open.
class FactoryDefaultsAction : public MenuAction {
public:
  int invoke(ActionItem&) override {
    settings.resetBindings();
    return 1;
  }
};
