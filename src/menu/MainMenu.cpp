#include "MainMenu.h"

#include "ActionItem.h"
#include "BindingItem.h"
#include "ChoiceItem.h"
#include "Display.h"
#include "FactoryDefaultsAction.h"
#include "GameSetup.h"
#include "Settings.h"
#include "SoundManager.h"
#include "StartGameAction.h"
#include "Version.h"

const char* const MainMenu::AboutText =
    "Pigmora\n"
    "Version " PIGMORA_VERSION
    "\n"
    "Made by the Pigmora team\n"
    "Code, pictures, sounds and music\n"
    "are all made by the game itself\n"
    "Thanks to the SDL folks\n"
    "and to everyone who plays\n"
    "Have fun and mind the colours!";

namespace {

std::vector<Choice> enabledDisabled() {
  return {{"Enabled", 1}, {"Disabled", 0}};
}

Menu* videoMenu() {
  return new Menu(
      "Video",
      {new ChoiceItem("Mode", &settings.Fullscreen, {{"Windowed", 0}, {"Full Screen", 1}}),
       new ChoiceItem("Display Time", &settings.DisplayTime, {{"Yes", 1}, {"No", 0}}),
       new ActionItem("Done")},
      "Video.jpg", 200, 200);
}

Menu* soundMenu() {
  return new Menu(
      "Sound",
      {new ChoiceItem("Sound FX", &settings.Effects, enabledDisabled()),
       new ChoiceItem("Music", &settings.Music, enabledDisabled()),
       new ChoiceItem("Mixing Rate", &settings.Frequency,
                      {{"11khz", 11025}, {"22khz", 22050}, {"44khz", 44100}}),
       new ChoiceItem("Stereo", &settings.Stereo, enabledDisabled()), new ActionItem("Done")},
      "Sound.jpg", 200, 200);
}

Menu* controlsMenu() {
  struct Line {
    const char* label;
    int command;
    int player;
  };
  const Line lines[] = {
      {"P1 Left", Command::Left, 0},       {"P1 Right", Command::Right, 0},
      {"P1 Grab", Command::Grab, 0},       {"P1 Drop", Command::Drop, 0},
      {"P1 PowerUp", Command::PowerUp, 0}, {"P1 Pull", Command::PullDown, 0},
      {"P2 Left", Command::Left, 1},       {"P2 Right", Command::Right, 1},
      {"P2 Grab", Command::Grab, 1},       {"P2 Drop", Command::Drop, 1},
      {"P2 PowerUp", Command::PowerUp, 1}, {"P2 Pull", Command::PullDown, 1},
      {"Pause", Command::Pause, 0},        {"Abort Game", Command::AbortGame, 0},
  };
  std::vector<MenuItem*> items;
  for (const Line& line : lines)
    items.push_back(new BindingItem(line.label, line.command, line.player));
  items.push_back(new ActionItem("Factory Defaults", new FactoryDefaultsAction));
  items.push_back(new ActionItem("Done"));
  return new Menu("Controls", items, "Controls.jpg", 104, 50);
}

}  // namespace

MainMenu::MainMenu(int splashTime) : Menu("", {}, nullptr, 200, 200) {
  theDisplay = new Display();
  theDisplay->splashTime = splashTime;
  theDisplay->loadGraphics();
  new SoundManager();  // it makes itself the process-wide sound manager
  soundManager->init();
  gameContext = new GameContext(theDisplay, soundManager);
  background = theDisplay->menuBackground;
  borrowedBackground = true;

  Menu* options =
      new Menu("Options", {videoMenu(), soundMenu(), controlsMenu(), new ActionItem("Done")},
               nullptr, 200, 200);
  Menu* about = new Menu("About", {new ActionItem(AboutText)}, nullptr, 150, 150);
  items = {
      new ActionItem(settings.NumPlays > 5 ? "Zen Mode" : "Practice",
                     new StartGameAction(gameContext), GameMode::Practice),
      new ActionItem("Survival", new StartGameAction(gameContext), GameMode::Survival),
      new ActionItem("2p Versus", new StartGameAction(gameContext), GameMode::Versus),
      options,
      about,
      new ActionItem("Exit"),
  };
}

MainMenu::~MainMenu() {
  delete gameContext;
  delete theDisplay;
  theDisplay = nullptr;
  delete soundManager;
}
