#include <gtest/gtest.h>

#include "ActionItem.h"
#include "ChoiceItem.h"
#include "EventScript.h"
#include "Menu.h"
#include "MenuWorld.h"

namespace {

// Counts its activations and keeps the menu open (or closes it, when told to).
struct Counting : MenuAction {
  explicit Counting(int& count, int result = 1) : count(count), result(result) {}
  int invoke(ActionItem&) override { return ++count, result; }
  int& count;
  int result;
};

Menu* menuOf(std::vector<MenuItem*> items) {
  return new Menu("Menu", std::move(items), nullptr, 200, 200);
}

void play(Menu& menu, EventScript& player) {
  player.start();
  menu.run();
  EXPECT_TRUE(player.finished());
}

}  // namespace

TEST(MenuLoop, KeysWrapTheSelection) {
  MenuWorld world;
  int started = 0;
  std::unique_ptr<Menu> menu(menuOf({new ActionItem("Play", new Counting(started)),
                                     new ActionItem("Help"), new ActionItem("Exit")}));
  EventScript player;
  player.key(SDLK_ESCAPE).key(SDLK_LEFT).key(SDLK_RIGHT);  // none of these do anything
  player.key(SDLK_DOWN).key(SDLK_DOWN).key(SDLK_DOWN);     // back round to "Play"
  player.key(SDLK_RETURN);                                 // plays, menu stays
  player.key(SDLK_UP).key(SDLK_RETURN);                    // Up from the top: "Exit"
  play(*menu, player);
  EXPECT_EQ(started, 1);
  EXPECT_EQ(menu->selected, 2u);
}

TEST(MenuLoop, ChoiceStepsForwardWrappingRound) {
  MenuWorld world;
  settings.Frequency = 48000;  // not among the choices: shows the first, unchanged
  auto* rate = new ChoiceItem("Mixing Rate", &settings.Frequency,
                              {{"11khz", 11025}, {"22khz", 22050}, {"44khz", 44100}});
  std::unique_ptr<Menu> menu(menuOf({rate, new ActionItem("Done")}));
  EXPECT_EQ(rate->text(), "Mixing Rate: <11khz>");
  EXPECT_EQ(settings.Frequency, 48000);
  EventScript player;
  player.key(SDLK_RIGHT).key(SDLK_RETURN);  // Right does not step a choice
  player.button(0, 2).key(SDLK_RETURN);     // a button activates too; wraps to the first
  player.key(SDLK_DOWN).key(SDLK_RETURN);
  play(*menu, player);
  EXPECT_EQ(settings.Frequency, 11025);
}

TEST(MenuLoop, StickMovesOncePerPushBeyondTheThreshold) {
  MenuWorld world;
  int chosen = 0;
  std::unique_ptr<Menu> menu(
      menuOf({new ActionItem("A"), new ActionItem("B"),
              new ActionItem("C", new Counting(chosen, 0)), new ActionItem("D")}));
  EventScript player;
  player.axis(0, 1, 25000).axis(0, 1, 32000);  // down to B; still held: nothing
  player.axis(0, 1, 20000).axis(0, 0, 20001);  // exactly the threshold is centred; across: C
  player.axis(0, 0, -20001).axis(0, 0, 0);     // straight back: B
  player.axis(0, 0, 30000).button(1, 0);       // C again, chosen, and it closes the menu
  play(*menu, player);
  EXPECT_EQ(chosen, 1);
  EXPECT_EQ(menu->selected, 2u);
}

TEST(MenuLoop, PadDpadMovesTheHighlightUnderTheControllerLayout) {
  MenuWorld world;
  setenv("SDL12COMPAT_USE_GAME_CONTROLLERS", "1", 1);  // buttons 11 and 12: d-pad up, down
  int chosen = 0;
  std::unique_ptr<Menu> menu(menuOf(
      {new ActionItem("A"), new ActionItem("B", new Counting(chosen, 0)), new ActionItem("C")}));
  EventScript player;
  player.button(0, 12).button(0, 12).button(0, 11).button(0, 0);  // C, back to B, chosen
  play(*menu, player);
  unsetenv("SDL12COMPAT_USE_GAME_CONTROLLERS");
  EXPECT_EQ(chosen, 1);
  EXPECT_EQ(menu->selected, 1u);
}

TEST(MenuLoop, AltF4LeavesAtOnce) {
  // The child must start SDL's timer thread afresh: a forked copy has none.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  MenuWorld world;
  std::unique_ptr<Menu> menu(menuOf({new ActionItem("A"), new ActionItem("B")}));
  EXPECT_EXIT(
      {
        EventScript player;
        player.key(SDLK_F4, KMOD_LALT);
        play(*menu, player);
        std::exit(3);
      },
      ::testing::ExitedWithCode(0), "");
}
