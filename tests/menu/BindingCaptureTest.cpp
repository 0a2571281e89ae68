#include <gtest/gtest.h>

#include "ActionItem.h"
#include "BindingItem.h"
#include "Display.h"
#include "EventScript.h"
#include "KeyNames.h"
#include "Menu.h"
#include "MenuWorld.h"

namespace {

struct ControlsScreen {
  BindingItem* left = new BindingItem("P1 Left", Command::Left, 0);
  Menu menu{"Controls", {left, new ActionItem("Done")}, nullptr, 104, 50};
};

}  // namespace

TEST(BindingCapture, KeysButtonsAndSticksAreAddedToTheCommand) {
  MenuWorld world;
  CaptureAxisStates.clear();
  ControlsScreen screen;
  EventScript player;
  player.key(SDLK_RETURN).pause(400).key(SDLK_x);  // the prompt blinks meanwhile
  player.key(SDLK_RETURN).key(SDLK_UP);            // Up belonged to P1 Drop
  player.key(SDLK_RETURN).axis(1, 2, 20000);       // the threshold is centred: nothing yet
  player.mouseDown(10, 10).mouseUp(10, 10);        // clicks change nothing
  player.axis(1, 2, 30000);                        // J2A3+
  player.key(SDLK_RETURN).button(0, 5);            // J1B6
  player.key(SDLK_DOWN).key(SDLK_RETURN);
  player.start();
  screen.menu.run();
  EXPECT_TRUE(player.finished());

  EXPECT_EQ(settings.bindingText(Command::Left, 0), "X Up Left J1B6 J1L J2A3+ ");
  EXPECT_EQ(settings.bindingText(Command::Drop, 0), "J1B2 ");  // lost Up, kept its button
  EXPECT_FALSE(screen.left->capturing);
  EXPECT_EQ(screen.left->blinkTimer, nullptr);
  EXPECT_GT(screen.left->blinkCount, 6u);  // redrawn by the blink timer while waiting
}

TEST(BindingCapture, HeldStickMustComeBackBeforeItBindsAgain) {
  MenuWorld world;
  CaptureAxisStates.clear();
  ControlsScreen screen;
  const int rightOfSecondStick = JoystickInput{0, 1, 0, 1, 0}.code();
  const int leftOfSecondStick = JoystickInput{0, 1, 0, 0, 0}.code();
  settings.JoystickBindings.erase(rightOfSecondStick);
  settings.JoystickBindings.erase(leftOfSecondStick);
  EventScript player;
  player.key(SDLK_RETURN).axis(1, 0, 30000);  // binds J2R
  player.key(SDLK_RETURN).axis(1, 0, 31000);  // still held that way: waits
  player.axis(1, 0, -30000);                  // the other way binds at once: J2L
  player.key(SDLK_DOWN).key(SDLK_RETURN);
  player.start();
  screen.menu.run();
  EXPECT_TRUE(player.finished());
  EXPECT_EQ(settings.JoystickBindings.at(rightOfSecondStick), (Binding{Command::Left, 0}));
  EXPECT_EQ(settings.JoystickBindings.at(leftOfSecondStick), (Binding{Command::Left, 0}));
}

TEST(BindingCapture, EscapeBindsButClosingTheWindowBindsNothing) {
  MenuWorld world;
  ControlsScreen screen;
  EventScript player;
  player.key(SDLK_RETURN).key(SDLK_ESCAPE);  // Escape is a key like any other here
  player.key(SDLK_RETURN).quit();
  player.start();
  screen.menu.run();
  EXPECT_TRUE(player.finished());
  EXPECT_EQ(settings.KeyBindings.at(SDLK_ESCAPE), (Binding{Command::Left, 0}));
  EXPECT_EQ(settings.bindingText(Command::Left, 0), "Esc Left J1L ");
  EXPECT_FALSE(screen.left->capturing);
}

TEST(BindingCapture, LineShowsLabelAndBindingsInTwoColumns) {
  MenuWorld world;
  ControlsScreen screen;
  screen.menu.redraw();
  BindingItem& line = *screen.left;
  EXPECT_EQ(line.boundText, "Left J1L ");
  EXPECT_EQ(line.x, 104);
  EXPECT_EQ(line.y, 50);
  const Font& font = *theDisplay->highlightFont;
  EXPECT_EQ(line.width, font.textWidth("P1 Left:    Left J1L "));
}
