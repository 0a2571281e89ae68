// Plays random headless games of every mode with uneven frame lengths, checking every
// frame, for as long as asked:  game_soak [seconds] [first starting value]
// CI runs it for a few seconds; run it for hours by hand (best in the sanitizer build).
// game_soak --starts VALUE... plays just the games of those starting values.
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "Invariants.h"

namespace {

long games = 0, broken = 0;

void soak(uint32_t start) {
  const std::vector<int32_t> patterns[] = {{16}, {1, 16, 33}, {33}, {5, 40}, {2}};
  int mode = static_cast<int>(start % 3);
  // Every other game of Versus and Survival has computers of changing levels at the keys
  // (0: the automatic player). In Practice a good one would play for hours.
  std::array<int, 2> levels{};
  if (start % 2 && mode != 0)
    levels = {static_cast<int>(start / 2 % 6), static_cast<int>(start / 4 % 6)};
  HeadlessGame headless(mode, start, patterns[(start / 3) % 5], 60 * 60 * 1000, levels);
  std::vector<std::string> faults = playChecked(headless);
  ++games;
  if (faults.empty()) return;
  ++broken;
  std::printf("game with starting value %u (mode %d):\n", start, mode);
  for (const std::string& fault : faults) std::printf("  %s\n", fault.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "--starts") {
    for (int i = 2; i < argc; ++i) soak(static_cast<uint32_t>(std::strtoul(argv[i], nullptr, 10)));
  } else {
    double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
    uint32_t first = argc > 2 ? static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10)) : 1;
    auto begin = std::chrono::steady_clock::now();
    for (uint32_t start = first;; ++start) {
      if (std::chrono::steady_clock::now() - begin >= std::chrono::duration<double>(seconds)) break;
      soak(start);
    }
  }
  std::printf("%ld games played, %ld broke a rule\n", games, broken);
  return broken == 0 ? 0 : 1;
}
