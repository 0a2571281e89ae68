#include <gtest/gtest.h>

#include <algorithm>

#include "ActionItem.h"
#include "Display.h"
#include "EventScript.h"
#include "MainMenu.h"
#include "MenuWorld.h"
#include "SoundManager.h"

namespace {

using Labels = std::vector<std::string>;
Labels labels(const MenuItem* item) {
  Labels all;
  for (const MenuItem* child : dynamic_cast<const Menu*>(item)->items) all.push_back(child->label);
  return all;
}
int parameter(const MenuItem* item) {
  return dynamic_cast<const ActionItem*>(item)->parameter;
}

}  // namespace

TEST(MainMenu, TheTreeAsThePlayerSeesIt) {
  MenuWorld world(false);
  settings.NumPlays = 5;
  MainMenu main(0);
  EXPECT_EQ(labels(&main),
            (Labels{"Practice", "Survival", "2p Versus", "Options", "About", "Exit"}));
  EXPECT_EQ((std::vector<int>{parameter(main.items[0]), parameter(main.items[1]),
                              parameter(main.items[2])}),
            (std::vector<int>{0, 2, 1}));
  EXPECT_EQ(main.background, theDisplay->menuBackground);
  const Menu& options = *dynamic_cast<Menu*>(main.items[3]);
  EXPECT_EQ(labels(&options), (Labels{"Video", "Sound", "Controls", "Done"}));
  EXPECT_EQ(options.background, nullptr);
  const Menu& controls = *dynamic_cast<Menu*>(options.items[2]);
  EXPECT_EQ(controls.items.size(), 16u);
  EXPECT_EQ(controls.items[13]->label, "Abort Game");
  EXPECT_TRUE(controls.left == 104 && controls.top == 50 && controls.background);
  const std::string& about = dynamic_cast<Menu*>(main.items[4])->items.at(0)->label;
  EXPECT_EQ(about.substr(0, 19), "Pigmora\nVersion 1.1");
  EXPECT_EQ(std::count(about.begin(), about.end(), '\n'), 7);
}

TEST(MainMenu, SeasonedPlayersGetZenMode) {
  MenuWorld world(false);
  settings.NumPlays = 6;
  MainMenu main(0);
  EXPECT_EQ(main.items[0]->label, "Zen Mode");
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

TEST(MainMenu, AGameFromTheMenuReturnsToTheSameItem) {
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
