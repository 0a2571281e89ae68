#include "HeadlessGame.h"

HeadlessGame::HeadlessGame(int mode, uint32_t startValue, std::vector<int32_t> lengths,
                           uint32_t limitMs, std::array<int, 2> computerLevels, bool automatic)
    : setup(mode),
      frameLengths(std::move(lengths)),
      start(startValue),
      now(startValue),
      limit(limitMs) {
  if (frameLengths.empty()) frameLengths.push_back(16);
  game.layout = &setup;
  game.clock = [this] {
    uint32_t t = now;
    now += static_cast<uint32_t>(frameLengths[nextFrame++ % frameLengths.size()]);
    return t;
  };
  game.bus.subscribe(PollInput, this);
  for (int i = 0; i < setup.playerCount && automatic; ++i) {
    if (computerLevels[i] > 0) continue;
    autoPlayers[i] = std::make_unique<AutoPlayer>(game, i, startValue);
    game.bus.subscribe(PollInput, autoPlayers[i].get());
  }
  game.bus.subscribe(RenderFrame, this);
  for (int i = 0; i < setup.playerCount; ++i) {
    if (computerLevels[i] > 0) {
      computers[i] = std::make_unique<ComputerController>(computerLevels[i], startValue * 7u + i);
      computers[i]->attach(&game, i);
    } else {
      controllers[i].attach(&game, i);
    }
    // The banks' own choices would otherwise follow the wall clock.
    game.players[i].bank.randomState = startValue * 31u + static_cast<uint32_t>(i);
  }
}

void HeadlessGame::play() {
  game.run();
}

void HeadlessGame::handle(int id, void*, MessageBus* bus) {
  if (id == PollInput) ++polls;
  if (id == PollInput && now - start > limit && game.state != Over) {
    gaveUp = true;
    int player = 0;
    bus->post(AbortGame, &player);
  } else if (id == RenderFrame && onFrame) {
    onFrame(game);
  }
}

uint64_t boardDigest(const Board& board) {
  uint64_t hash = 1469598103934665603ull;
  auto mix = [&hash](int64_t value) {
    for (int i = 0; i < 8; ++i) {
      hash ^= static_cast<uint64_t>(value >> (i * 8)) & 0xff;
      hash *= 1099511628211ull;
    }
  };
  mix(board.riseOffset);
  for (const auto& row : board.rows)
    for (const Cell& cell : row) {
      mix(cell.colour);
      mix(cell.flags);
      mix(cell.fall);
      mix(cell.timer);
    }
  return hash;
}
