#include "HeadlessGame.h"

GameSetup HeadlessGame::setupFor(int mode, uint32_t startValue) {
  GameSetup setup(mode);
  for (int i = 0; i < 2; ++i) {
    setup.rowSeeds[i] = startValue;
    // The banks' own choices would otherwise follow the wall clock.
    setup.bankSeeds[i] = startValue * 31u + static_cast<uint32_t>(i);
  }
  return setup;
}

HeadlessGame::HeadlessGame(int mode, uint32_t startValue, std::vector<int32_t> lengths,
                           uint32_t limitMs, std::array<int, 2> computerLevels, bool automatic)
    : loop(setupFor(mode, startValue)),
      frameLengths(std::move(lengths)),
      start(startValue),
      now(startValue),
      limit(limitMs) {
  if (frameLengths.empty()) frameLengths.push_back(16);
  // The first reading started the rows; the loop's first frame is measured from the next.
  now += static_cast<uint32_t>(frameLengths[nextFrame++ % frameLengths.size()]);
  loop.clock = [this] {
    uint32_t t = now;
    now += static_cast<uint32_t>(frameLengths[nextFrame++ % frameLengths.size()]);
    return t;
  };
  loop.bus.subscribe(PollInput, this);
  for (int i = 0; i < game.playerCount() && automatic; ++i) {
    if (computerLevels[i] > 0) continue;
    autoPlayers[i] = std::make_unique<AutoPlayer>(loop, i, startValue);
    loop.bus.subscribe(PollInput, autoPlayers[i].get());
  }
  loop.bus.subscribe(RenderFrame, this);
  for (int i = 0; i < game.playerCount(); ++i) {
    if (computerLevels[i] > 0) {
      computers[i] = std::make_unique<ComputerController>(computerLevels[i], startValue * 7u + i);
      computers[i]->attach(&loop, i);
    } else {
      controllers[i].attach(&loop, i);
    }
  }
}

void HeadlessGame::play() {
  loop.run();
}

void HeadlessGame::handle(int id, void*, MessageBus* bus) {
  if (id == PollInput) ++polls;
  if (id == PollInput && now - start > limit && game.state != Over) {
    gaveUp = true;
    int player = 0;
    bus->post<AbortGame>(&player);
  } else if (id == RenderFrame && onFrame) {
    onFrame(game);
  }
}
