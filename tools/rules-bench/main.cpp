// Prints what the rules cost: one player's update, and whole headless games.
//   rules-bench [games]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "HeadlessGame.h"

namespace {
using Clock = std::chrono::steady_clock;

struct Timings {
  std::vector<double> micros;  // one entry per UpdateGame
  double games = 0;
  double seconds = 0;
  int64_t playedMs = 0;
  double score = 0;
  int64_t maxChain = 0;
  int64_t pieces = 0;
};

// Plays the games, timing every UpdateGame delivery by wrapping the game's clock:
// the clock is read at the start of each update, and the pass ends at RenderFrame.
Timings playGames(int mode, int count, bool crowdedOnly) {
  Timings t;
  auto begin = Clock::now();
  for (int i = 0; i < count; ++i) {
    HeadlessGame headless(mode, 1000u + static_cast<uint32_t>(i) * 7919u, {16, 17});
    Clock::time_point updateStart;
    auto realClock = headless.loop.clock;
    headless.loop.clock = [&] {
      updateStart = Clock::now();
      return realClock();
    };
    headless.onFrame = [&](Game& game) {
      auto spent = std::chrono::duration<double, std::micro>(Clock::now() - updateStart).count();
      // A crowded board: at least half its cells hold pieces.
      bool crowded = false;
      for (int k = 0; k < game.playerCount(); ++k) {
        const Player& p = game.players[k];
        int pieces = 0;
        for (const auto& row : p.board.rows)
          for (const Cell& cell : row) pieces += cell.hasColour() ? 1 : 0;
        if (2 * pieces >= p.board.width * p.board.height) crowded = true;
      }
      if (!crowdedOnly || crowded) t.micros.push_back(spent);
    };
    headless.play();
    t.playedMs += headless.game.players[0].elapsed;
    for (const Player& p : headless.game.players) {
      t.score += p.score;
      t.maxChain = std::max<int64_t>(t.maxChain, p.maxChain);
      t.pieces += p.totalPieces;
    }
  }
  t.seconds = std::chrono::duration<double>(Clock::now() - begin).count();
  t.games = count;
  return t;
}

void report(const char* name, Timings t, int players) {
  if (t.micros.empty()) return;
  double sum = 0;
  for (double m : t.micros) sum += m;
  std::sort(t.micros.begin(), t.micros.end());
  double p99 = t.micros[t.micros.size() * 99 / 100];
  double mean = sum / t.micros.size();
  std::printf("%-34s %9zu updates  mean %6.2f us  p99 %6.2f us", name, t.micros.size(), mean, p99);
  if (players == 1) std::printf("  %8.0f rule-frames/s", 1e6 / mean);
  std::printf("\n");
}
// What saving and comparing a whole game costs, on a game in the middle of play: the
// computer copies players for every move it weighs, and the network game keeps a copy of
// every tick it may have to go back to.
void reportState() {
  HeadlessGame headless(1, 777, {16, 17}, 90 * 1000);
  headless.play();
  const Game& game = headless.game;
  constexpr int Rounds = 20000;
  std::vector<Game> copies(8);
  auto start = Clock::now();
  for (int i = 0; i < Rounds; ++i) copies[i % copies.size()] = game;
  double copyUs = std::chrono::duration<double, std::micro>(Clock::now() - start).count() / Rounds;
  uint64_t sum = 0;
  start = Clock::now();
  for (int i = 0; i < Rounds; ++i) sum += copies[i % copies.size()].digest();
  double digestUs =
      std::chrono::duration<double, std::micro>(Clock::now() - start).count() / Rounds;
  std::printf("game state: %zu bytes (%zu serialised)  copy %.2f us  digest %.2f us  (%llx)\n",
              sizeof(Game), saveState(game).size(), copyUs, digestUs,
              static_cast<unsigned long long>(sum & 0xfff));
}
}  // namespace

int main(int argc, char** argv) {
  int games = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  std::printf("Pigmora rules benchmark: %d games per mode, frames of 16 and 17 ms\n", games);

  Timings survival = playGames(2, games, false);
  report("Survival, Player::update", survival, 1);
  report("Survival, crowded board only", playGames(2, games, true), 1);
  std::printf("%-34s %9.1f games/s  (%.0f s of play, %.0f pieces, score %.1f per game)\n",
              "Survival, whole games", survival.games / survival.seconds,
              survival.playedMs / 1000.0 / survival.games, survival.pieces / survival.games,
              survival.score / survival.games);

  Timings versus = playGames(1, games, false);
  report("Versus, UpdateGame (two boards)", versus, 2);
  report("Versus, a crowded board only", playGames(1, games, true), 2);
  std::printf("%-34s %9.1f games/s  (%.0f s of play, %.0f pieces, score %.1f per game)\n",
              "Versus, whole games", versus.games / versus.seconds,
              versus.playedMs / 1000.0 / versus.games, versus.pieces / versus.games,
              versus.score / versus.games);
  reportState();
  std::printf("longest chain seen: %lld reactions\n",
              static_cast<long long>(std::max(survival.maxChain, versus.maxChain)));
  return 0;
}
