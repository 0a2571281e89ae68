#include "SyncTest.h"

#include <algorithm>
#include <vector>

SyncTestResult syncTest(RollbackGame& game, int depth, uint32_t maxTicks,
                        const std::function<TickInputs(uint32_t tick)>& inputsFor) {
  depth = std::clamp(depth, 1, RollbackGame::StateSlots - 1);
  SyncTestResult result;
  std::vector<TickInputs> inputs;
  std::vector<uint64_t> digests;
  std::vector<bool> overs;
  auto slot = [](uint32_t tick) { return static_cast<int>(tick % RollbackGame::StateSlots); };
  for (uint32_t t = 0; t < maxTicks; ++t) {
    game.save(slot(t));
    inputs.push_back(inputsFor(t));
    overs.push_back(game.step(t, inputs[t], true));
    digests.push_back(game.digest());
    result.ticks = t + 1;

    uint32_t from = t + 1 >= static_cast<uint32_t>(depth) ? t + 1 - depth : 0;
    game.load(slot(from));
    for (uint32_t u = from; u <= t; ++u) {
      game.save(slot(u));
      bool over = game.step(u, inputs[u], false);
      if (game.digest() != digests[u] || over != overs[u]) {
        result.firstMismatch = u;
        return result;
      }
    }
    if (overs[t]) break;
  }
  return result;
}
