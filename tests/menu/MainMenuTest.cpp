#include <gtest/gtest.h>

#include <algorithm>

#include "ActionItem.h"
#include "Display.h"
#include "EventScript.h"
#include "MainMenu.h"
#include "MenuWorld.h"
#include "SoundManager.h"

namespace {

std::vector<std::string> labels(const Menu& menu) {
  std::vector<std::string> all;
  for (const MenuItem* item : menu.items) all.push_back(item->label);
  return all;
}

Menu& submenu(const Menu& menu, size_t index) {
  return *dynamic_cast<Menu*>(menu.items[index]);
}

}  // namespace

TEST(MainMenu, TheTreeAsThePlayerSeesIt) {
  MenuWorld world(false);
  settings.NumPlays = 5;
  MainMenu main(0);
  ASSERT_NE(theDisplay, nullptr);
  ASSERT_NE(soundManager, nullptr);
  EXPECT_EQ(labels(main), (std::vector<std::string>{"Practice", "Survival", "2p Versus", "Options",
                                                    "About", "Exit"}));
  EXPECT_EQ(main.background, theDisplay->menuBackground);
  EXPECT_EQ(dynamic_cast<ActionItem*>(main.items[1])->parameter, 2);
  EXPECT_EQ(dynamic_cast<ActionItem*>(main.items[2])->parameter, 1);
  Menu& options = submenu(main, 3);
  EXPECT_EQ(labels(options), (std::vector<std::string>{"Video", "Sound", "Controls", "Done"}));
  EXPECT_EQ(options.background, nullptr);
  Menu& controls = submenu(options, 2);
  EXPECT_EQ(controls.items.size(), 16u);
  EXPECT_EQ(controls.items[13]->label, "Abort Game");
  EXPECT_EQ(controls.left, 104);
  EXPECT_EQ(controls.top, 50);
  EXPECT_NE(controls.background, nullptr);
  Menu& about = submenu(main, 4);
  ASSERT_EQ(about.items.size(), 1u);
  EXPECT_EQ(about.items[0]->label.substr(0, 19), "Pigmora\nVersion 1.1");
  EXPECT_EQ(std::count(about.items[0]->label.begin(), about.items[0]->label.end(), '\n'), 7);
}

TEST(MainMenu, SeasonedPlayersGetZenMode) {
  MenuWorld world(false);
  settings.NumPlays = 6;
  MainMenu main(0);
  EXPECT_EQ(main.items[0]->label, "Zen Mode");
  EXPECT_EQ(dynamic_cast<ActionItem*>(main.items[0])->parameter, 0);
}

TEST(MainMenu, OptionsAndFactoryDefaultsThroughTheScreens) {
  MenuWorld world(false);
  settings.Music = 1;
  MainMenu main(0);
  EventScript player;
  player.key(SDLK_DOWN).key(SDLK_DOWN).key(SDLK_DOWN).key(SDLK_RETURN);  // Options
  player.key(SDLK_DOWN).key(SDLK_RETURN);                                // Sound
  player.key(SDLK_DOWN).key(SDLK_RETURN);                                // Music: Disabled
  player.key(SDLK_UP).key(SDLK_UP).key(SDLK_RETURN);                     // Done
  player.key(SDLK_DOWN).key(SDLK_RETURN);                                // Controls
  player.key(SDLK_RETURN).key(SDLK_q);                                   // P1 Left on Q
  for (int i = 0; i < 14; ++i) player.key(SDLK_DOWN);
  player.key(SDLK_RETURN);  // Factory Defaults: Q is gone again
  player.key(SDLK_DOWN).key(SDLK_RETURN);
  player.key(SDLK_DOWN).key(SDLK_RETURN);                 // Options' Done
  player.key(SDLK_DOWN).key(SDLK_DOWN).key(SDLK_RETURN);  // Exit
  player.start();
  main.run();
  EXPECT_TRUE(player.finished());
  EXPECT_EQ(settings.Music, 0);
  EXPECT_EQ(settings.Effects, 1);
  EXPECT_EQ(settings.KeyBindings.count(SDLK_q), 0u);
  EXPECT_EQ(settings.bindingText(Command::Left, 0), "Left J1L ");
  EXPECT_EQ(soundManager->lastMusicSetting, 0);  // the Sound screen's close halted the music
}

TEST(MainMenu, AGameFromTheMenuAndBackToTheSameItem) {
  MenuWorld world(false);
  MainMenu main(0);
  EventScript player;
  player.key(SDLK_DOWN).key(SDLK_RETURN);  // Survival
  player.pause(300).key(SDLK_DELETE);      // pull a row in
  player.pause(300).key(SDLK_ESCAPE);      // abandon the game
  player.pause(200).key(SDLK_RETURN);      // too early: the results stay up
  player.pause(2100).key(SDLK_RETURN);     // back to the menu
  player.key(SDLK_DOWN).key(SDLK_DOWN).key(SDLK_DOWN).key(SDLK_DOWN).key(SDLK_RETURN);  // Exit
  player.start();
  Uint32 began = SDL_GetTicks();
  main.run();
  EXPECT_TRUE(player.finished());
  EXPECT_GE(SDL_GetTicks() - began, 2000u);
  EXPECT_EQ(main.selected, 5u);  // Survival (1) plus four steps down: the menu kept its place
  EXPECT_EQ(soundManager->currentMusic, "MenuMusic");
}
