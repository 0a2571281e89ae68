#include <gtest/gtest.h>

#include "ActionItem.h"
#include "BindingItem.h"
#include "Display.h"
#include "EventScript.h"
#include "InputPoller.h"
#include "KeyNames.h"
#include "Menu.h"
#include "MenuWorld.h"

namespace {

// The Controls screen cut down to both players' Left; the script's player ends on Done,
// which is `downs` lines below the line the script leaves selected.
struct ControlsScreen {
  BindingItem* left[2] = {new BindingItem("P1 Left", Command::Left, 0),
                          new BindingItem("P2 Left", Command::Left, 1)};
  Menu menu{"Controls", {left[0], left[1], new ActionItem("Done")}, nullptr, 104, 50};
  void play(EventScript& player, int downs) {
    CaptureAxisStates.clear();
    for (int i = 0; i < downs; ++i) player.key(SDLK_DOWN);
    player.key(SDLK_RETURN).start();
    menu.run();
    EXPECT_TRUE(player.finished());
    EXPECT_FALSE(left[0]->capturing || left[1]->capturing);
  }
};

}  // namespace

TEST(BindingCapture, KeysButtonsAndSticksAreAddedToTheCommandOfThePlayerOfTheLine) {
  MenuWorld world;
  ControlsScreen screen;
  EventScript player;
  player.key(SDLK_RETURN).pause(400).key(SDLK_x);      // the prompt blinks meanwhile
  player.key(SDLK_RETURN).key(SDLK_UP);                // Up belonged to P1 Drop
  player.key(SDLK_RETURN).axis(1, 2, 20000);           // the threshold is centred: nothing yet
  player.mouseDown(10, 10).mouseUp(10, 10);            // clicks change nothing
  player.axis(1, 2, 30000);                            // J2A3+
  player.key(SDLK_RETURN).button(0, 5);                // J1B6
  player.key(SDLK_DOWN).key(SDLK_RETURN).key(SDLK_x);  // P2 Left takes X from P1 Left
  screen.play(player, 1);
  EXPECT_EQ(settings.bindingText(Command::Left, 0), "Up Left J1B6 J1L J2A3+ ");
  EXPECT_EQ(settings.bindingText(Command::Left, 1), "A X J2L ");
  EXPECT_EQ(settings.bindingText(Command::Drop, 0), "J1B2 ");  // lost Up, kept its button
  EXPECT_EQ(screen.left[0]->blinkTimer, nullptr);
  EXPECT_GT(screen.left[0]->blinkCount, 6u);  // redrawn by the blink timer while waiting
}

TEST(BindingCapture, HeldStickMustComeBackBeforeItBindsAgain) {
  MenuWorld world;
  ControlsScreen screen;
  const int right = JoystickInput{0, 0, 0, 1, 0}.code(), left = JoystickInput{0, 0, 0, 0, 0}.code(),
            down = JoystickInput{0, 0, 1, 1, 0}.code();
  AxisStates[0] = 1;  // the stick was last held right in a game: the capture has its own table
  EventScript player;
  player.key(SDLK_RETURN).axis(0, 0, 30000);                 // P1 Left binds J1R at once
  player.key(SDLK_DOWN).key(SDLK_RETURN).axis(0, 0, 31000);  // P2 Left: still held: waits
  player.axis(0, 0, 0);                                      // let go: still waits
  player.axis(0, 1, 30000);                                  // pushed down: J1D
  screen.play(player, 1);
  AxisStates.clear();
  EXPECT_EQ(settings.JoystickBindings.at(right), (Binding{Command::Left, 0}));
  EXPECT_EQ(settings.JoystickBindings.at(left), (Binding{Command::Left, 0}));
  EXPECT_EQ(settings.JoystickBindings.at(down), (Binding{Command::Left, 1}));
}

TEST(BindingCapture, EscapeBindsLikeAnyKey) {
  MenuWorld world;
  ControlsScreen screen;
  EventScript player;
  player.key(SDLK_RETURN).key(SDLK_ESCAPE);
  screen.play(player, 2);
  EXPECT_EQ(settings.bindingText(Command::Left, 0), "Esc Left J1L ");
}
