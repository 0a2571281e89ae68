#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>

#include "CommandLine.h"
#include "Desktop.h"
#include "Error.h"
#include "GameOptions.h"
#include "MainMenu.h"
#include "Replay.h"
#include "ReplayCheck.h"
#include "ReplayShelf.h"
#include "SdlEnvironment.h"
#include "Settings.h"
#include "SystemSetup.h"

int main(int argc, char** argv) {
  CommandLine commandLine;
  int status = readCommandLine(argc, argv, commandLine, std::cout, std::cerr);
  if (status != GoOnAndPlay) return status;
  if (commandLine.has("--check-replay"))
    return checkReplay(commandLine.given["--check-replay"], std::cout, std::cerr);
  // A replay that cannot be shown is refused before any window opens.
  Replay replay;
  bool watching = commandLine.has("--replay");
  if (watching) {
    status = readReplay(commandLine.given["--replay"], ReplayShelf::Folder, replay, std::cerr);
    if (status != 0) return status;
  }
  std::printf("Welcome to Pigmora version %s\n", PigmoraVersion);
  Desktop desktop = findDesktop();
  prepareSdlEnvironment(desktop);
  try {
    if (InitSystem() != 0) return -1;
    settings.loadSettings();
    std::unique_ptr<MainMenu> menu(new MainMenu());
    if (desktop.refreshHz > 0) menu->gameContext->displayRefreshHz = desktop.refreshHz;
    applyGameOptions(commandLine, *menu->gameContext);
    if (watching) {
      // Watching changes nothing of the player's own: no settings are written.
      GameContext& context = *menu->gameContext;
      if (context.watchReplay(replay)) {
#ifdef __EMSCRIPTEN__
        // The page's console is where a watched replay's end is read.
        std::printf("\n%s", context.watchedEnd.c_str());
        std::fflush(stdout);
#endif
        context.gameOverWait();
      }
      if (context.partedReplay.empty()) return 0;
      std::string file = commandLine.given["--replay"];
      if (file.empty()) file = ReplayShelf::newest(ReplayShelf::Folder);
      std::fprintf(stderr, "pigmora: %s: %s\n", file.c_str(), context.partedReplay.c_str());
      return ReplayDiffers;
    }
    // A watcher watches at once; the menu comes back when the players' connection ends.
    if (commandLine.has("--watch") && menu->gameContext->runGame(GameMode::Versus))
      menu->gameContext->gameOverWait();
    menu->run();
    settings.saveSettings();
    menu.reset();
    return 0;
  } catch (const Error& error) {
    std::printf("%s", error.message.c_str());
    return 1;
  }
}
