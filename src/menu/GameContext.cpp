#include "GameContext.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sstream>

#include "ComputerController.h"
#include "Display.h"
#include "GameLayout.h"
#include "GameLoop.h"
#include "GameOverWait.h"
#include "HumanController.h"
#include "InputPoller.h"
#include "QuitPassOn.h"
#include "Replay.h"
#include "ReplayShelf.h"
#include "Settings.h"
#include "SoundManager.h"
#include "Version.h"

namespace {
// Holding F plays a replay this many times as fast.
constexpr int FastForward = 4;
// A replay that falls behind (a slow machine, a stop in the debugger) catches up by at
// most this much play per frame rather than racing.
constexpr uint32_t MostCatchUpMs = 250;

}  // namespace

GameSetup newGameSetup(int mode) {
  // The rows of both boards start from the moment the game begins; the banks' choices
  // from the wall clock, as they always have.
  GameSetup setup(mode);
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  setup.startFrom(SDL_GetTicks(), static_cast<uint32_t>(std::rand()));
  return setup;
}

// Saving never disturbs the game: a failure is one line on standard error.
void shelve(const Replay& replay, const std::string& folder) {
  if (folder.empty()) return;
  std::string error;
  if (ReplayShelf::save(replay, folder, ReplayShelf::Kept, error).empty())
    std::fprintf(stderr, "Pigmora: could not save the replay in %s/: %s\n", folder.c_str(),
                 error.c_str());
}

void GameContext::showAndSound(GameLoop& loop, FramePacer& pacer) {
  loop.bus.subscribe(RenderFrame, display);
  loop.bus.subscribe(RenderFrame, &pacer);
  if (sound) {
    loop.bus.subscribe(PlaySound, &sound->listener);
    loop.bus.subscribe(PlayMusic, &sound->listener);
  }
}

bool GameContext::runGame(int mode) {
  if (mode < GameMode::Practice || mode > GameMode::Survival) return false;
  if (mode == GameMode::Versus && network.role == Network::Watch) return runWatch();
  if (mode == GameMode::Versus && network.role != Network::Local) return runNetworkGame();
  GameLayout layout(mode);
  GameSetup setup = newGameSetup(mode);
  GameLoop loop(setup);
  loop.clock = [] { return static_cast<uint32_t>(SDL_GetTicks()); };
  loop.layout = &layout;
  HumanController controllers[2];
  ComputerController computer(versusComputerLevel, static_cast<uint32_t>(std::time(nullptr)));
  InputPoller poller;
  FramePacer pacer(displayRefreshHz);
  Replay replay;
  replay.setup = setup;
  replay.program = PIGMORA_VERSION;
  loop.onPass = [&replay, &loop](int32_t dt, const PassInput& input) {
    replay.record(dt, input, loop.game);
  };

  loop.bus.subscribe(PollInput, &poller);
  showAndSound(loop, pacer);
  bool againstComputer = setup.playerCount == 2 && versusComputerLevel > 0;
  for (int player = 0; player < setup.playerCount; ++player) {
    if (player == 1 && againstComputer)
      computer.attach(&loop, player);
    else
      controllers[player].attach(&loop, player);
  }
  loop.run();
  replay.finish(loop.game);
  shelve(replay, replayFolder);
  return true;
}

void GameContext::gameOverWait() {
  ::gameOverWait([this] {
    if (sound) sound->playMusic("Over");
  });
}

bool GameContext::watchReplay(const Replay& replay) {
  GameLayout layout(replay.setup.mode);
  // A replay is seen as its player saw the game: their own board on the left.
  layout.leftPlayer = replay.seat;
  GameLoop loop(replay.setup);
  layout.leaver = replay.leaver;
  layout.replay = true;
  loop.clock = [] { return static_cast<uint32_t>(SDL_GetTicks()); };
  loop.layout = &layout;
  FramePacer pacer(displayRefreshHz);
  showAndSound(loop, pacer);
  std::string music = replay.setup.musicName();
  loop.bus.post<PlayMusic>(&music);

  bool& held = loop.held;
  bool fast = false;
  uint32_t last = SDL_GetTicks(), owed = 0;  // ms of play due but not yet stepped
  size_t cursor = 0;
  uint32_t pass = 0;
  watchedEnd = "";
  ReplayWitness witness(replay);
  while (loop.game.state != Over && pass < replay.frames.size()) {
    auto keys = [&](const SDL_Event& event) {
      if (event.type != SDL_KEYDOWN && event.type != SDL_KEYUP) return;
      SDLKey key = event.key.keysym.sym;
      if (key == SDLK_f) fast = event.type == SDL_KEYDOWN;
      if (key == SDLK_p && event.type == SDL_KEYDOWN) held = !held;
    };
    if (pollQuitOrEscape(keys) != Interruption::None) return false;
    uint32_t now = SDL_GetTicks();
    // A pass longer than the catch-up (the game was stopped for seconds) may still come due.
    uint32_t most =
        std::max(MostCatchUpMs * FastForward, static_cast<uint32_t>(replay.frames[pass]));
    if (!held) owed = std::min(owed + (now - last) * (fast ? FastForward : 1), most);
    last = now;
    // Each recorded pass is stepped with its own length and inputs, so the game goes
    // exactly as it went; the clock only says how many are due.
    while (!held && pass < replay.frames.size() && loop.game.state != Over &&
           static_cast<uint32_t>(replay.frames[pass]) <= owed) {
      owed -= static_cast<uint32_t>(replay.frames[pass]);
      ++pass;
      loop.pending = replay.inputsOf(pass, cursor);
      loop.step(replay.frames[pass - 1]);
      if (!witness.agrees(pass, loop.game)) {
        // Nothing after this pass is the game that was saved: say so, and show no more of it.
        partedReplay = witness.parting();
        loop.notice = "This replay " + partedReplay;
        loop.bus.post<RenderFrame>(&loop);
        return true;
      }
    }
    loop.bus.post<RenderFrame>(&loop);
  }
  watchedEnd = loop.game.state == Over ? savedEndLines(loop.game, replay.format) : "";
  return true;
}
