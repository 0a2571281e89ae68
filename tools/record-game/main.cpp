// Records a game between the automatic players for the replay test:
//   record-game NAME MODE START LENGTH...
// writes NAME.txt (the recording) and NAME.expected (its end, as replayed) in the
// current folder. MODE 0 Practice, 1 Versus, 2 Survival; START is the clock's first
// reading; the LENGTHs (ms) are the clock's steps, used in turn.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "Binding.h"
#include "HeadlessGame.h"
#include "Recording.h"

namespace {

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

Recording ofAutomaticGame(int mode, uint32_t startValue, std::vector<int32_t> lengths) {
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

void write(const Recording& recording, std::ostream& out) {
  out << "mode " << recording.mode << "\nstart " << recording.start << "\nbanks "
      << recording.banks[0] << " " << recording.banks[1] << "\nlengths";
  for (int32_t length : recording.lengths) out << " " << length;
  out << "\n# pass player commands (L Left, R Right, D Drop, G Grab, P PullDown, U PowerUp)";
  for (size_t i = 0; i < recording.presses.size(); ++i) {
    const Recording::Press& press = recording.presses[i];
    bool sameLine = i > 0 && recording.presses[i - 1].pass == press.pass &&
                    recording.presses[i - 1].player == press.player;
    if (!sameLine) out << "\n" << press.pass << " " << press.player << " ";
    out << RecordedCommandLetters.at(static_cast<size_t>(press.command));
  }
  out << "\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: %s NAME MODE START LENGTH...\n", argv[0]);
    return 2;
  }
  std::vector<int32_t> lengths;
  for (int i = 4; i < argc; ++i) lengths.push_back(std::atoi(argv[i]));
  Recording recording = ofAutomaticGame(
      std::atoi(argv[2]), static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10)), lengths);
  std::string name = argv[1];
  std::ofstream text(name + ".txt");
  write(recording, text);
  std::ofstream(name + ".expected") << recording.replay();
  return text.good() ? 0 : 1;
}
