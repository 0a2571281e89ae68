// Plays the computer opponent's levels against each other, against people who press
// nothing or play like beginners, and alone, and prints tables (see usage below).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "Beginner.h"
#include "HeadlessGame.h"
#include "Novice.h"

namespace {
using Clock = std::chrono::steady_clock;
const std::vector<int32_t> frameLengths = {16, 17};

const char usage[] =
    "usage: ai-bench [--games N] [--against levels|idle|beginner|novice] [--survival N]\n"
    "                [--cap MINUTES] [--only K]\n"
    "  --games N      Versus games per row (200; 0 for none)\n"
    "  --against WHO  only the rows against WHO: the level below (levels), a player who\n"
    "                 presses nothing (idle), a scripted beginner (beginner) or a person on\n"
    "                 their first day (novice); all when not given\n"
    "  --survival N   Survival games per level, played alone (100; 0 for none)\n"
    "  --cap MINUTES  play after which a game counts as a draw (10)\n"
    "  --only K       just level K against the one below (6 for 5 against 1), no Survival\n"
    "  --help         print this and exit\n";

enum class Opponent { Levels, Idle, Beginner, Novice };

struct Options {
  int games = 200;
  int survival = 100;
  int capMinutes = 10;
  int only = 0;
  std::vector<Opponent> against = {Opponent::Levels, Opponent::Idle, Opponent::Beginner,
                                   Opponent::Novice};
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

// The level plays the right-hand board against a person at the left one who presses
// nothing or plays like a beginner or a novice; a win is the computer still standing at
// the end.
Tally againstPerson(int level, Opponent person, const Options& options) {
  Tally tally;
  for (int g = 0; g < options.games; ++g) {
    uint32_t startValue = 3000u + static_cast<uint32_t>(g) * 6151u;
    HeadlessGame headless(1, startValue, frameLengths,
                          static_cast<uint32_t>(options.capMinutes) * 60000u, {0, level}, false);
    Beginner beginner(headless.loop, 0, startValue);
    Novice novice(headless.loop, 0, startValue);
    if (person == Opponent::Beginner) headless.loop.bus.subscribe(PollInput, &beginner);
    if (person == Opponent::Novice) headless.loop.bus.subscribe(PollInput, &novice);
    playTimed(headless, tally.micros);
    const Player* players = headless.game.players;
    tally.lengths.push_back(std::max(players[0].elapsed, players[1].elapsed) / 1000.0);
    if (headless.gaveUp || players[0].alive == players[1].alive)
      ++tally.draws;
    else if (players[1].alive)
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

// Refuses what it does not know with status 2, so that a typing error never runs the
// whole bench by mistake.
[[noreturn]] void refuse(const char* what, const char* argument) {
  std::fprintf(stderr, "ai-bench: %s %s\n%s", what, argument, usage);
  std::exit(2);
}

int count(const char* option, const char* text) {
  char* end = nullptr;
  long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || value < 0 || value > 1000000)
    refuse("not a count for", option);
  return static_cast<int>(value);
}

Options parse(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const char* option = argv[i];
    if (!std::strcmp(option, "--help")) {
      std::printf("%s", usage);
      std::exit(0);
    }
    bool known = !std::strcmp(option, "--games") || !std::strcmp(option, "--survival") ||
                 !std::strcmp(option, "--cap") || !std::strcmp(option, "--only") ||
                 !std::strcmp(option, "--against");
    if (!known) refuse("unknown option", option);
    if (i + 1 >= argc) refuse("no value for", option);
    const char* value = argv[++i];
    if (!std::strcmp(option, "--against")) {
      if (!std::strcmp(value, "levels"))
        options.against = {Opponent::Levels};
      else if (!std::strcmp(value, "idle"))
        options.against = {Opponent::Idle};
      else if (!std::strcmp(value, "beginner"))
        options.against = {Opponent::Beginner};
      else if (!std::strcmp(value, "novice"))
        options.against = {Opponent::Novice};
      else
        refuse("unknown opponent", value);
      continue;
    }
    int number = count(option, value);
    if (!std::strcmp(option, "--games")) options.games = number;
    if (!std::strcmp(option, "--survival")) options.survival = number;
    if (!std::strcmp(option, "--cap")) options.capMinutes = std::max(1, number);
    if (!std::strcmp(option, "--only")) options.only = number;
  }
  if (options.only || options.against.size() == 1) options.survival = 0;
  return options;
}

bool wanted(const Options& options, Opponent who) {
  return std::find(options.against.begin(), options.against.end(), who) != options.against.end();
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
    if (options.games == 0 || !wanted(options, Opponent::Levels)) break;
    int key = strong - weak == 1 ? strong : 6;
    if (options.only && options.only != key) continue;
    Tally t = versus(strong, weak, options);
    std::printf("level %d vs %d   %6d %6d %6d %7.1f%% %10.1f %12.1f %12.1f\n", strong, weak, t.wins,
                t.losses, t.draws, 100.0 * t.wins / options.games, percentile(t.lengths, 0.5),
                percentile(t.micros, 0.5), percentile(t.micros, 0.99));
    std::fflush(stdout);
  }
  const std::pair<Opponent, const char*> people[] = {
      {Opponent::Idle, "idle"}, {Opponent::Beginner, "beginner"}, {Opponent::Novice, "novice"}};
  for (auto [person, name] : people) {
    if (options.games == 0 || options.only || !wanted(options, person)) continue;
    std::printf("\n");
    for (int level = 1; level <= ComputerLevelCount; ++level) {
      Tally t = againstPerson(level, person, options);
      std::printf(
          "level %d vs %s: %d of %d won  (lost %d, drawn %d; median %.1f s; think med %.1f us, "
          "p99 %.1f us)\n",
          level, name, t.wins, options.games, t.losses, t.draws, percentile(t.lengths, 0.5),
          percentile(t.micros, 0.5), percentile(t.micros, 0.99));
      std::fflush(stdout);
    }
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
