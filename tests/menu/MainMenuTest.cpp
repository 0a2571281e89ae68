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

TEST(MainMenu, OffersTheThreeGamesZenModeAfterFiveRuns) {
  for (int runs : {5, 6}) {
    MenuWorld world(false);
    settings.NumPlays = runs;
    MainMenu main(0);
    EXPECT_EQ(labels(&main), (Labels{runs > 5 ? "Zen Mode" : "Practice", "Survival", "2p Versus",
                                     "Options", "About", "Exit"}));
    int modes[] = {parameter(main.items[0]), parameter(main.items[1]), parameter(main.items[2])};
    EXPECT_TRUE(modes[0] == 0 && modes[1] == 2 && modes[2] == 1);
  }
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
