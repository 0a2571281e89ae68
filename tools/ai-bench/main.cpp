// Plays the computer opponent's levels against each other and alone, and prints a table:
//   ai-bench [--games N] [--survival N] [--cap MINUTES] [--only K]
// --games: Versus games per pairing (200, 0 for none); --survival: Survival games per level (100);
// --cap: minutes of play after which a game counts as a draw (10); --only K: just the
// pairing of level K against the one below (6 for 5 against 1), and no Survival.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "HeadlessGame.h"

namespace {
using Clock = std::chrono::steady_clock;
const std::vector<int32_t> frameLengths = {16, 17};

struct Options {
  int games = 200;
  int survival = 100;
  int capMinutes = 10;
  int only = 0;
};

struct Tally {
  int wins = 0, losses = 0, draws = 0;
  std::vector<double> lengths;  // seconds of play
  std::vector<double> micros;   // thinking per frame, both computers together
};

double percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[std::min(values.size() - 1, static_cast<size_t>(values.size() * p))];
}

// Plays one game, timing the input pass of every frame: from the end of one frame's
// drawing to the start of the next update, which is where the computers think.
void playTimed(HeadlessGame& headless, std::vector<double>& micros) {
  Clock::time_point frameEnd{};
  bool timing = false;
  auto realClock = headless.loop.clock;
  headless.loop.clock = [&] {
    if (timing)
      micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - frameEnd).count());
    return realClock();
  };
  headless.onFrame = [&](Game&) {
    frameEnd = Clock::now();
    timing = true;
  };
  headless.play();
}

Tally versus(int strong, int weak, const Options& options) {
  Tally tally;
  for (int g = 0; g < options.games; ++g) {
    int strongSide = g % 2;
    std::array<int, 2> levels{};
    levels[strongSide] = strong;
    levels[1 - strongSide] = weak;
    HeadlessGame headless(1, 1000u + static_cast<uint32_t>(g / 2) * 7919u, frameLengths,
                          static_cast<uint32_t>(options.capMinutes) * 60000u, levels);
    playTimed(headless, tally.micros);
    const Player* players = headless.game.players;
    tally.lengths.push_back(std::max(players[0].elapsed, players[1].elapsed) / 1000.0);
    bool strongAlive = players[strongSide].alive, weakAlive = players[1 - strongSide].alive;
    if (headless.gaveUp || strongAlive == weakAlive)
      ++tally.draws;
    else if (strongAlive)
      ++tally.wins;
    else
      ++tally.losses;
  }
  return tally;
}

Tally survival(int level, const Options& options) {
  Tally tally;
  for (int g = 0; g < options.survival; ++g) {
    HeadlessGame headless(2, 5000u + static_cast<uint32_t>(g) * 104729u, frameLengths,
                          static_cast<uint32_t>(options.capMinutes) * 60000u, {level, 0});
    playTimed(headless, tally.micros);
    tally.lengths.push_back(headless.game.players[0].elapsed / 1000.0);
  }
  return tally;
}

Options parse(int argc, char** argv) {
  Options options;
  for (int i = 1; i + 1 < argc; i += 2) {
    int value = std::max(0, std::atoi(argv[i + 1]));
    if (!std::strcmp(argv[i], "--games")) options.games = value;
    if (!std::strcmp(argv[i], "--survival")) options.survival = value;
    if (!std::strcmp(argv[i], "--cap")) options.capMinutes = std::max(1, value);
    if (!std::strcmp(argv[i], "--only")) options.only = value;
  }
  return options;
}
}  // namespace

int main(int argc, char** argv) {
  Options options = parse(argc, argv);
  std::printf(
      "Pigmora computer opponent: %d Versus games per pairing, sides alternating, "
      "frames of 16 and 17 ms, draw after %d min\n\n",
      options.games, options.capMinutes);
  std::printf("%-14s %6s %6s %6s %8s %10s %12s %12s\n", "pairing", "wins", "losses", "draws",
              "win %", "median s", "think med us", "think p99 us");
  auto begin = Clock::now();
  std::vector<std::pair<int, int>> pairings = {{2, 1}, {3, 2}, {4, 3}, {5, 4}, {5, 1}};
  for (auto [strong, weak] : pairings) {
    if (options.games == 0) break;
    int key = strong - weak == 1 ? strong : 6;
    if (options.only && options.only != key) continue;
    Tally t = versus(strong, weak, options);
    std::printf("level %d vs %d   %6d %6d %6d %7.1f%% %10.1f %12.1f %12.1f\n", strong, weak, t.wins,
                t.losses, t.draws, 100.0 * t.wins / options.games, percentile(t.lengths, 0.5),
                percentile(t.micros, 0.5), percentile(t.micros, 0.99));
    std::fflush(stdout);
  }
  if (!options.only && options.survival > 0) {
    std::printf("\nSurvival, played alone: %d games per level\n", options.survival);
    std::printf("%-14s %10s %12s %12s\n", "level", "median s", "think med us", "think p99 us");
    double medians[2] = {};
    int at = 0;
    for (int level : {1, 5}) {
      Tally t = survival(level, options);
      medians[at++] = percentile(t.lengths, 0.5);
      std::printf("level %d        %10.1f %12.1f %12.1f\n", level, percentile(t.lengths, 0.5),
                  percentile(t.micros, 0.5), percentile(t.micros, 0.99));
      std::fflush(stdout);
    }
    std::printf("level 5 survives %.1f times as long as level 1\n",
                medians[0] > 0 ? medians[1] / medians[0] : 0.0);
  }
  std::printf("\n(%.0f s of computing)\n",
              std::chrono::duration<double>(Clock::now() - begin).count());
  return 0;
}
