#include <gtest/gtest.h>

#include "ActionItem.h"
#include "BindingItem.h"
#include "EventScript.h"
#include "Menu.h"
#include "MenuWorld.h"

TEST(BracketKey, TheControlsLineShowsTheKeyWhileTheFileKeepsItsSafeName) {
  MenuWorld world;
  BindingItem* grab = new BindingItem("P2 Grab", Command::Grab, 1);
  Menu controls("Controls", {grab, new ActionItem("Done")}, nullptr, 104, 50);
  EventScript player;
  player.key(SDLK_RETURN).key(SDLK_LEFTBRACKET).key(SDLK_DOWN).key(SDLK_RETURN);
  player.start();
  controls.run();
  ASSERT_TRUE(player.finished());
  EXPECT_EQ(grab->boundText, "[ S J2B1 ");

  ASSERT_EQ(settings.saveSettings(), 0);
  std::string file = world.folder.read("Pigmora.ini");
  EXPECT_NE(file.find("Grab=LeftBracket S J2B1 \n"), std::string::npos) << file;
  settings = Settings();
  ASSERT_EQ(settings.loadSettings(), 0);
  EXPECT_EQ(settings.KeyBindings.at(SDLK_LEFTBRACKET), (Binding{Command::Grab, 1}));
}
