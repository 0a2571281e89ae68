#include <gtest/gtest.h>

#include "ActionItem.h"
#include "BindingItem.h"
#include "Display.h"
#include "EventScript.h"
#include "KeyNames.h"
#include "Menu.h"
#include "MenuWorld.h"

namespace {

// The Controls screen cut down to P1 Left; the script's player ends on Done.
struct ControlsScreen {
  BindingItem* left = new BindingItem("P1 Left", Command::Left, 0);
  Menu menu{"Controls", {left, new ActionItem("Done")}, nullptr, 104, 50};
  void play(EventScript& player) {
    CaptureAxisStates.clear();
    player.key(SDLK_DOWN).key(SDLK_RETURN).start();
    menu.run();
    EXPECT_TRUE(player.finished());
    EXPECT_FALSE(left->capturing);
  }
};

}  // namespace

TEST(BindingCapture, KeysButtonsAndSticksAreAddedToTheCommand) {
  MenuWorld world;
  ControlsScreen screen;
  EventScript player;
  player.key(SDLK_RETURN).pause(400).key(SDLK_x);  // the prompt blinks meanwhile
  player.key(SDLK_RETURN).key(SDLK_UP);            // Up belonged to P1 Drop
  player.key(SDLK_RETURN).axis(1, 2, 20000);       // the threshold is centred: nothing yet
  player.mouseDown(10, 10).mouseUp(10, 10);        // clicks change nothing
  player.axis(1, 2, 30000);                        // J2A3+
  player.key(SDLK_RETURN).button(0, 5);            // J1B6
  screen.play(player);
  EXPECT_EQ(settings.bindingText(Command::Left, 0), "X Up Left J1B6 J1L J2A3+ ");
  EXPECT_EQ(settings.bindingText(Command::Drop, 0), "J1B2 ");  // lost Up, kept its button
  EXPECT_EQ(screen.left->blinkTimer, nullptr);
  EXPECT_GT(screen.left->blinkCount, 6u);  // redrawn by the blink timer while waiting
}

TEST(BindingCapture, HeldStickMustComeBackBeforeItBindsAgain) {
  MenuWorld world;
  ControlsScreen screen;
  const int right = JoystickInput{0, 1, 0, 1, 0}.code(), left = JoystickInput{0, 1, 0, 0, 0}.code();
  settings.JoystickBindings.erase(right);
  settings.JoystickBindings.erase(left);
  EventScript player;
  player.key(SDLK_RETURN).axis(1, 0, 30000);  // binds J2R
  player.key(SDLK_RETURN).axis(1, 0, 31000);  // still held that way: waits
  player.axis(1, 0, -30000);                  // the other way binds at once: J2L
  screen.play(player);
  EXPECT_EQ(settings.JoystickBindings.at(right), (Binding{Command::Left, 0}));
  EXPECT_EQ(settings.JoystickBindings.at(left), (Binding{Command::Left, 0}));
}

TEST(BindingCapture, EscapeBindsLikeAnyKey) {
  MenuWorld world;
  ControlsScreen screen;
  EventScript player;
  player.key(SDLK_RETURN).key(SDLK_ESCAPE);
  screen.play(player);
  EXPECT_EQ(settings.bindingText(Command::Left, 0), "Esc Left J1L ");
}
