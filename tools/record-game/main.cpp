// Records a game between the automatic players as a replay file, for the tests' recorded
// games:
//   record-game NAME MODE START LENGTH...
// writes NAME.txt in the current folder: the replay with the end it reached. MODE 0
// Practice, 1 Versus, 2 Survival; START is the clock's first reading (both boards' rows
// start from it); the LENGTHs (ms) are the clock's steps, used in turn.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "HeadlessGame.h"
#include "Replay.h"
#include "Version.h"

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: %s NAME MODE START LENGTH...\n", argv[0]);
    return 2;
  }
  std::vector<int32_t> lengths;
  for (int i = 4; i < argc; ++i) lengths.push_back(std::atoi(argv[i]));
  uint32_t start = static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10));
  HeadlessGame headless(std::atoi(argv[2]), start, lengths);
  Replay replay;
  replay.setup = headless.game.setup;
  replay.program = PIGMORA_VERSION;
  headless.loop.onPass = [&replay, &headless](int32_t dt, const PassInput& input) {
    replay.record(dt, input, headless.game);
  };
  headless.play();
  replay.finish(headless.game);
  std::ofstream text(std::string(argv[1]) + ".txt");
  text << replay.text();
  return text.good() ? 0 : 1;
}
