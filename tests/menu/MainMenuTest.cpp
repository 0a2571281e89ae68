#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "ActionItem.h"
#include "BindingItem.h"
#include "ChoiceItem.h"
#include "Display.h"
#include "EventScript.h"
#include "GameContext.h"
#include "MainMenu.h"
#include "MenuWorld.h"
#include "Replay.h"
#include "ReplayShelf.h"
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

TEST(MainMenu, EveryOptionShowsAndKeepsTheValueThePlayerStepsTo) {
  MenuWorld world(false);
  const struct {
    int screen, line;
    int* setting;
    std::vector<std::pair<const char*, int>> shown;  // each choice's text and value, in order
  } options[] = {
      {0, 0, &settings.Fullscreen, {{"Mode: <Windowed>", 0}, {"Mode: <Full Screen>", 1}}},
      {0, 1, &settings.DisplayTime, {{"Display Time: <Yes>", 1}, {"Display Time: <No>", 0}}},
      {1, 0, &settings.Effects, {{"Sound FX: <Enabled>", 1}, {"Sound FX: <Disabled>", 0}}},
      {1, 1, &settings.Music, {{"Music: <Enabled>", 1}, {"Music: <Disabled>", 0}}},
      {1,
       2,
       &settings.Frequency,
       {{"Mixing Rate: <11khz>", 11025},
        {"Mixing Rate: <22khz>", 22050},
        {"Mixing Rate: <44khz>", 44100}}},
      {1, 3, &settings.Stereo, {{"Stereo: <Enabled>", 1}, {"Stereo: <Disabled>", 0}}},
  };
  for (const auto& option : options) *option.setting = option.shown[0].second;
  MainMenu main(0);
  const auto* screens = dynamic_cast<const Menu*>(main.items[3]);
  for (const auto& option : options) {
    auto* item = dynamic_cast<ChoiceItem*>(
        dynamic_cast<const Menu*>(screens->items[option.screen])->items[option.line]);
    ASSERT_TRUE(item);
    for (size_t step = 1; step <= option.shown.size(); ++step) {
      const auto& [text, value] = option.shown[step % option.shown.size()];
      SCOPED_TRACE(text);
      item->activate();
      EXPECT_EQ(item->text(), text);
      EXPECT_EQ(*option.setting, value);
      for (const auto& other : options)
        EXPECT_TRUE(&other == &option || *other.setting == other.shown[0].second)
            << other.shown[0].first << " changed with it";
    }
  }
  // Each Controls line binds the command and the player it names.
  const char* const commands[] = {"Left", "Right",   "Drop",  "Grab",
                                  "Pull", "PowerUp", "Pause", "Abort Game"};
  for (const MenuItem* line : dynamic_cast<const Menu*>(screens->items[2])->items) {
    const auto* binding = dynamic_cast<const BindingItem*>(line);
    if (!binding) continue;
    SCOPED_TRACE(line->label);
    const int player = line->label.rfind("P2 ", 0) == 0 ? 1 : 0;
    EXPECT_EQ(binding->player, player);
    EXPECT_EQ(line->label.substr(line->label[0] == 'P' && line->label[2] == ' ' ? 3 : 0),
              commands[binding->command]);
  }
}

TEST(MainMenu, SurvivalStartsItsGameAndTheMenuComesBackOnTheSameLine) {
  MenuWorld world(false);
  MainMenu main(0);
  EventScript player;
  player.key(SDLK_DOWN).key(SDLK_RETURN).key(SDLK_ESCAPE);  // Survival, left at once
  // The results give way to a key once two seconds are over: Left (which the menu
  // ignores) is pressed until they surely have.
  player.pause(2000);
  for (int i = 0; i < 12; ++i) player.pause(200).key(SDLK_LEFT);
  for (int i = 0; i < 4; ++i) player.key(SDLK_DOWN);
  player.key(SDLK_RETURN);  // Exit
  player.start();
  main.run();
  EXPECT_TRUE(player.finished());
  ASSERT_TRUE(std::filesystem::is_directory("replays")) << "no game was played";
  std::vector<int> modes;
  for (const auto& file : std::filesystem::directory_iterator("replays")) {
    Replay replay;
    std::string error;
    ASSERT_TRUE(ReplayShelf::load(file.path().string(), replay, error)) << error;
    modes.push_back(replay.setup.mode);
  }
  EXPECT_EQ(modes, std::vector<int>{GameMode::Survival});
}

// A game stopped for seconds records a pass that long; the viewer, which catches up by at
// most a second at a time, still plays past it to the end.
TEST(ReplayViewer, PlaysPastAPassLongerThanItCatchesUpAtOnce) {
  MenuWorld world;
  Replay replay;
  replay.setup = GameSetup(GameMode::Practice);
  replay.frames = {16, 16, 1500, 16, 16};
  GameContext context(theDisplay, nullptr);
  // A bound for the freeze, long after the replay's second and a half.
  EventScript player;
  player.pause(20000).quit();
  player.start();
  EXPECT_TRUE(context.watchReplay(replay)) << "the replay froze at its long pass";
  EXPECT_FALSE(player.finished());
}

TEST(ReplayViewer, StopsWhereAReplayPartsFromItsGameAndSaysWhere) {
  MenuWorld world;
  Replay replay;
  replay.setup = GameSetup(GameMode::Practice);
  replay.setup.startFrom(4242, 131502);
  Game game(replay.setup);
  StepEvents events;
  for (int pass = 0; pass < 3 * static_cast<int>(Replay::DigestInterval); ++pass) {
    PassInput input;
    if (pass % 40 == 7) input.add(0, pass % 80 == 7 ? Command::Grab : Command::Drop);
    game.step(1, input, events);
    replay.record(1, input, game);
  }
  replay.finish(game);
  // A grab taken out half way: the game goes on otherwise from there.
  Replay changed = replay;
  for (size_t i = 0; i < changed.inputs.size(); ++i)
    if (changed.inputs[i].pass > Replay::DigestInterval + 50) {
      changed.inputs.erase(changed.inputs.begin() + static_cast<long>(i));
      break;
    }
  GameContext context(theDisplay, nullptr);
  EventScript player;
  player.pause(20000).quit();
  player.start();
  ASSERT_TRUE(context.watchReplay(changed)) << "the viewer was left before the parting";
  EXPECT_FALSE(player.finished());
  EXPECT_EQ(context.partedReplay,
            "parts from the game at pass " + std::to_string(2 * Replay::DigestInterval) +
                " (last agreed at pass " + std::to_string(Replay::DigestInterval) + ")");
  GameContext straight(theDisplay, nullptr);
  player.start();
  EXPECT_TRUE(straight.watchReplay(replay));
  EXPECT_EQ(straight.partedReplay, "");
}
