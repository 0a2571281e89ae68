#include "Recording.h"

#include <cctype>
#include <cinttypes>
#include <cstdio>
#include <istream>
#include <ostream>
#include <sstream>

#include "Binding.h"
#include "HeadlessGame.h"

namespace {
const std::string Letters = "LRDGPU";  // by command: Left Right Drop Grab PullDown PowerUp

// Writes down every command on the bus with the pass it arrived in.
struct Recorder : Listener {
  Recorder(HeadlessGame& headless, Recording& into) : headless(headless), into(into) {}
  void handle(int, void* data, MessageBus*) override {
    const Binding& binding = *static_cast<Binding*>(data);
    into.presses.push_back({headless.polls, binding.player, binding.command});
  }
  HeadlessGame& headless;
  Recording& into;
};

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

Recording Recording::ofAutomaticGame(int mode, uint32_t startValue, std::vector<int32_t> lengths) {
  Recording recording;
  HeadlessGame headless(mode, startValue, lengths);
  Recorder recorder(headless, recording);
  headless.game.bus.subscribe(PlayerCommand, &recorder);
  recording.mode = mode;
  recording.start = startValue;  // the headless clock's first reading
  for (int i = 0; i < 2; ++i) recording.banks[i] = headless.game.players[i].bank.randomState;
  recording.lengths = lengths;
  headless.play();
  return recording;
}

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

void Recording::write(std::ostream& out) const {
  out << "mode " << mode << "\nstart " << start << "\nbanks " << banks[0] << " " << banks[1]
      << "\nlengths";
  for (int32_t length : lengths) out << " " << length;
  out << "\n# pass player commands (L Left, R Right, D Drop, G Grab, P PullDown, U PowerUp)";
  for (size_t i = 0; i < presses.size(); ++i) {
    const Press& press = presses[i];
    bool sameLine =
        i > 0 && presses[i - 1].pass == press.pass && presses[i - 1].player == press.player;
    if (!sameLine) out << "\n" << press.pass << " " << press.player << " ";
    out << Letters.at(static_cast<size_t>(press.command));
  }
  out << "\n";
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
      size_t command = Letters.find(letter);
      if (command == std::string::npos) return false;
      presses.push_back({std::stoll(word), player, static_cast<int>(command)});
    }
  }
  return !lengths.empty();
}
