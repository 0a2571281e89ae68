#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>

#include "CommandLine.h"
#include "Desktop.h"
#include "Error.h"
#include "MainMenu.h"
#include "SdlEnvironment.h"
#include "Settings.h"
#include "SystemSetup.h"

int main(int argc, char** argv) {
  CommandLine commandLine;
  int status = readCommandLine(argc, argv, commandLine, std::cout, std::cerr);
  if (status != GoOnAndPlay) return status;
  std::printf("Welcome to Pigmora version %s\n", PigmoraVersion);
  Desktop desktop = findDesktop();
  prepareSdlEnvironment(desktop);
  try {
    if (InitSystem() != 0) return -1;
    settings.loadSettings();
    std::unique_ptr<MainMenu> menu(new MainMenu());
    if (desktop.refreshHz > 0) menu->gameContext->displayRefreshHz = desktop.refreshHz;
    menu->gameContext->versusComputerLevel = commandLine.versusComputerLevel;
    menu->run();
    settings.saveSettings();
    menu.reset();
    return 0;
  } catch (const Error& error) {
    std::printf("%s", error.message.c_str());
    return 1;
  }
}
