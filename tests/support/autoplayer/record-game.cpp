// Records a game between the automatic players for the replay test:
//   record-game NAME MODE START LENGTH...
// writes NAME.txt (the recording) and NAME.expected (its end, as replayed) in the
// current folder. MODE 0 Practice, 1 Versus, 2 Survival; START is the clock's first
// reading; the LENGTHs (ms) are the clock's steps, used in turn.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "Recording.h"

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: %s NAME MODE START LENGTH...\n", argv[0]);
    return 2;
  }
  std::vector<int32_t> lengths;
  for (int i = 4; i < argc; ++i) lengths.push_back(std::atoi(argv[i]));
  Recording recording = Recording::ofAutomaticGame(
      std::atoi(argv[2]), static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10)), lengths);
  std::string name = argv[1];
  std::ofstream text(name + ".txt");
  recording.write(text);
  std::ofstream(name + ".expected") << recording.replay();
  return text.good() ? 0 : 1;
}
