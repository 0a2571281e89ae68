#include <gtest/gtest.h>

#include "ActionItem.h"
#include "ChoiceItem.h"
#include "EventScript.h"
#include "Menu.h"
#include "MenuWorld.h"

namespace {

// Counts its activations and keeps the menu open (or closes it, when told to).
class Counting : public MenuAction {
public:
  explicit Counting(int& count, int result = 1) : count(count), result(result) {}
  int invoke(ActionItem&) override {
    ++count;
    return result;
  }
  int& count;
  int result;
};

bool quitIsPending() {
  SDL_Event event;
  SDL_PumpEvents();
  return SDL_PeepEvents(&event, 1, SDL_PEEKEVENT, SDL_QUITMASK) > 0;
}

}  // namespace

TEST(MenuLoop, KeysWrapTheSelectionAndOnlyReturnActivates) {
  MenuWorld world;
  int started = 0;
  Menu menu("Main",
            {new ActionItem("Play", new Counting(started)), new ActionItem("Help"),
             new ActionItem("Exit")},
            nullptr, 200, 200);
  EventScript player;
  player.key(SDLK_ESCAPE).key(SDLK_LEFT).key(SDLK_RIGHT);  // none of these do anything
  player.key(SDLK_DOWN).key(SDLK_DOWN).key(SDLK_DOWN);     // back round to "Play"
  player.key(SDLK_RETURN);                                 // plays, menu stays
  player.key(SDLK_UP).key(SDLK_RETURN);                    // Up from the top: "Exit"
  player.start();
  menu.run();
  EXPECT_TRUE(player.finished());
  EXPECT_EQ(started, 1);
  EXPECT_EQ(menu.selected, 2u);
}

TEST(MenuLoop, ChoiceStepsForwardWrapsAndStoresAtOnce) {
  MenuWorld world;
  settings.Frequency = 48000;  // not among the choices: shows the first, unchanged
  auto* rate = new ChoiceItem("Mixing Rate", &settings.Frequency,
                              {{"11khz", 11025}, {"22khz", 22050}, {"44khz", 44100}});
  Menu menu("Sound", {rate, new ActionItem("Done")}, nullptr, 200, 200);
  EXPECT_EQ(rate->text(), "Mixing Rate: <11khz>");
  EXPECT_EQ(settings.Frequency, 48000);

  EventScript player;
  player.key(SDLK_RIGHT).key(SDLK_RETURN);  // Right does not step a choice
  player.button(0, 2);                      // a joystick button activates too
  player.key(SDLK_RETURN);                  // wraps round to the first
  player.key(SDLK_DOWN).key(SDLK_RETURN);
  player.start();
  menu.run();
  EXPECT_TRUE(player.finished());
  EXPECT_EQ(settings.Frequency, 11025);
  EXPECT_EQ(rate->text(), "Mixing Rate: <11khz>");
}

TEST(MenuLoop, MouseClicksNeedPressAndReleaseOnTheSameLine) {
  MenuWorld world;
  int played = 0;
  auto* play = new ActionItem("Play", new Counting(played));
  auto* help = new ActionItem("Help");
  auto* done = new ActionItem("Done");
  Menu menu("Main", {play, help, done}, nullptr, 200, 200);
  menu.redraw();  // lays the lines out, so the script knows where to point
  Point onPlay = middleOf(*play), onDone = middleOf(*done);
  ASSERT_GT(play->width, 0);
  EXPECT_FALSE(play->contains(play->x, onPlay.y));  // the border is outside
  EXPECT_FALSE(play->contains(onPlay.x, play->y + play->height));

  EventScript player;
  player.mouseMove(onPlay.x, onPlay.y);
  player.mouseDown(onPlay.x, onPlay.y).mouseUp(onPlay.x, onPlay.y);  // plays
  player.mouseDown(onPlay.x, onPlay.y).mouseUp(600, 450);      // released elsewhere: selects only
  player.mouseDown(onDone.x, onDone.y, SDL_BUTTON_WHEELDOWN);  // a wheel step over "Done"
  player.mouseUp(onDone.x, onDone.y, SDL_BUTTON_WHEELDOWN);
  player.start();
  menu.run();
  EXPECT_TRUE(player.finished());
  EXPECT_EQ(played, 1);
  EXPECT_EQ(menu.selected, 2u);
}

TEST(MenuLoop, StickMovesOncePerPushAndThresholdIsCentred) {
  MenuWorld world;
  int chosen = 0;
  Menu menu("Main",
            {new ActionItem("A"), new ActionItem("B"), new ActionItem("C", new Counting(chosen, 0)),
             new ActionItem("D")},
            nullptr, 200, 200);
  EventScript player;
  player.axis(0, 1, 25000);   // down: B
  player.axis(0, 1, 32000);   // still held: nothing
  player.axis(0, 1, 20000);   // exactly the threshold: centred
  player.axis(0, 0, 20001);   // a horizontal stick moves it too: C
  player.axis(0, 0, -20001);  // straight across: B
  player.axis(0, 0, 0);
  player.axis(0, 0, 30000);  // C again
  player.button(1, 0);       // chosen, and its action closes the menu
  player.start();
  menu.run();
  EXPECT_TRUE(player.finished());
  EXPECT_EQ(chosen, 1);
  EXPECT_EQ(menu.selected, 2u);
}

TEST(MenuLoop, QuitInASubmenuClosesEveryMenuAndStaysQueued) {
  MenuWorld world;
  int touched = 0;
  auto* options =
      new Menu("Options", {new ActionItem("X", new Counting(touched)), new ActionItem("Done")},
               nullptr, 200, 200);
  Menu main("Main", {options, new ActionItem("Exit")}, nullptr, 200, 200);
  EventScript player;
  player.key(SDLK_RETURN).key(SDLK_DOWN).quit();
  player.start();
  main.run();
  EXPECT_TRUE(player.finished());
  EXPECT_EQ(touched, 0);
  EXPECT_EQ(options->parent, &main);
  EXPECT_TRUE(quitIsPending());  // for whoever runs below the main menu
}

TEST(MenuLoop, SubmenuStartsOnItsFirstItemEveryTime) {
  MenuWorld world;
  int first = 0;
  auto* sub =
      new Menu("Sub", {new ActionItem("First", new Counting(first)), new ActionItem("Done")},
               nullptr, 200, 200);
  Menu main("Main", {sub, new ActionItem("Exit")}, nullptr, 200, 200);
  EventScript player;
  player.key(SDLK_RETURN).key(SDLK_DOWN).key(SDLK_RETURN);  // into Sub, out through Done
  player.key(SDLK_RETURN).key(SDLK_RETURN);                 // into Sub again: "First"
  player.key(SDLK_DOWN).key(SDLK_RETURN);
  player.key(SDLK_DOWN).key(SDLK_RETURN);  // Exit
  player.start();
  main.run();
  EXPECT_TRUE(player.finished());
  EXPECT_EQ(first, 1);
}

TEST(MenuLoop, AltF4LeavesAtOnce) {
  // The child must start SDL's timer thread afresh: a forked copy has none.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  MenuWorld world;
  Menu menu("Main", {new ActionItem("A"), new ActionItem("B")}, nullptr, 200, 200);
  EXPECT_EXIT(
      {
        EventScript player;
        player.key(SDLK_F4, KMOD_LALT);
        player.start();
        menu.run();
        std::exit(3);
      },
      ::testing::ExitedWithCode(0), "");
}
