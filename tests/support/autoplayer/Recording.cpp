#include "Recording.h"

#include <cctype>
#include <cinttypes>
#include <cstdio>
#include <istream>
#include <sstream>

#include "Binding.h"
#include "HeadlessGame.h"

namespace {
// Posts the recorded commands of each pass, as the automatic players did.
struct Replayer : Listener {
  Replayer(HeadlessGame& headless, const Recording& from) : headless(headless), from(from) {}
  void handle(int, void*, MessageBus* bus) override {
    for (; next < from.presses.size() && from.presses[next].pass <= headless.polls; ++next) {
      Binding binding{from.presses[next].command, from.presses[next].player};
      bus->post(PlayerCommand, &binding);
    }
  }
  HeadlessGame& headless;
  const Recording& from;
  size_t next = 0;
};

std::string endLine(const Player& p) {
  char head[96], digest[32];
  std::snprintf(head, sizeof head, "%.17g %d %d %d %d |", p.score, p.elapsed, p.maxChain,
                p.totalPieces, p.level);
  std::string text = head;
  for (int n : p.piecesByColour) text += " " + std::to_string(n);
  std::snprintf(digest, sizeof digest, " | %016" PRIx64, boardDigest(p.board));
  return text + digest;
}
}  // namespace

std::string Recording::replay() const {
  HeadlessGame headless(mode, start, lengths, 60 * 60 * 1000, {}, false);
  for (int i = 0; i < 2; ++i) headless.game.players[i].bank.randomState = banks[i];
  Replayer replayer(headless, *this);
  headless.game.bus.subscribe(PollInput, &replayer);
  headless.play();
  std::string lines = headless.gaveUp ? "the game did not end\n" : "";
  for (int i = 0; i < headless.setup.playerCount; ++i)
    lines += "player " + std::to_string(i) + ": " + endLine(headless.game.players[i]) + "\n";
  return lines;
}

bool Recording::read(std::istream& in) {
  std::string word, line;
  while (in >> word && std::getline(in, line)) {
    std::istringstream rest(line);
    int player = 0;
    std::string commands;
    if (word == "mode") rest >> mode;
    if (word == "start") rest >> start;
    if (word == "banks") rest >> banks[0] >> banks[1];
    for (int32_t length; word == "lengths" && rest >> length;) lengths.push_back(length);
    if (word[0] == '#' || !std::isdigit(static_cast<unsigned char>(word[0]))) continue;
    if (!(rest >> player >> commands)) return false;
    for (char letter : commands) {
      size_t command = RecordedCommandLetters.find(letter);
      if (command == std::string::npos) return false;
      presses.push_back({std::stoll(word), player, static_cast<int>(command)});
    }
  }
  return !lengths.empty();
}
