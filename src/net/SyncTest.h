#pragma once

#include <cstdint>
#include <functional>

#include "RollbackGame.h"

struct SyncTestResult {
  uint32_t ticks = 0;          // ticks played
  int64_t firstMismatch = -1;  // the first tick whose second stepping differed, or -1
};

// Plays a begun game tick by tick with the inputs `inputsFor` gives, as a session would if
// every tick's guess were wrong: after each tick it loads the state `depth` ticks back and
// steps the ticks since again; each tick stepped again must end as it did the first time.
// The quickest way to find state that save, load or digest misses. Stops when the game is
// over or after `maxTicks`.
SyncTestResult syncTest(RollbackGame& game, int depth, uint32_t maxTicks,
                        const std::function<TickInputs(uint32_t tick)>& inputsFor);
