#include "Replay.h"

#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <istream>
#include <sstream>

#include "StateCodec.h"
#include "Tuning.h"

namespace {
const std::string InputLetters = "LRDGPUHX";  // by command
const char* const Magic = "Pigmora replay";
constexpr size_t FramesPerLine = 24;
constexpr size_t LongestGroup = 3;  // frame groups looked for when writing: 16,17 or 17,17,16

// Reads one line of at most `room` characters; false at the end of the input, and
// `tooLong` when the line did not fit (the rest of it is not read).
bool boundedLine(std::istream& in, std::string& line, size_t room, bool& tooLong) {
  line.clear();
  tooLong = false;
  int c = in.get();
  if (c == EOF) return false;
  while (c != EOF && c != '\n') {
    if (line.size() == room) {
      tooLong = true;
      return true;
    }
    line.push_back(static_cast<char>(c));
    c = in.get();
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

template <class T>
bool number(const std::string& word, T& value) {
  const char* end = word.data() + word.size();
  auto result = std::from_chars(word.data(), end, value);
  return !word.empty() && result.ec == std::errc() && result.ptr == end;
}

// A file's bytes as a message may show them: a damaged or hostile line must not reach the
// terminal as escape sequences or NULs, so anything but printable ASCII is shown as \xNN.
std::string printable(const std::string& text) {
  std::string shown;
  for (unsigned char c : text) {
    if (c >= ' ' && c < 127 && c != '\\') {
      shown += static_cast<char>(c);
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02x", c);
      shown += escape;
    }
  }
  return shown;
}

std::vector<std::string> words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> out;
  for (std::string word; in >> word;) out.push_back(word);
  return out;
}

// The number of repeats of the group of `size` lengths starting at `at`.
size_t repeats(const std::vector<int32_t>& frames, size_t at, size_t size) {
  size_t count = 0;
  while (at + (count + 1) * size <= frames.size()) {
    for (size_t i = 0; i < size; ++i)
      if (frames[at + count * size + i] != frames[at + i]) return count;
    ++count;
  }
  return count;
}

std::string framesText(const std::vector<int32_t>& frames) {
  std::string text;
  size_t onLine = 0;
  for (size_t at = 0; at < frames.size();) {
    size_t bestSize = 1, bestCount = repeats(frames, at, 1);
    for (size_t size = 2; size <= LongestGroup; ++size) {
      size_t count = repeats(frames, at, size);
      if (count >= 2 && count * size > bestCount * bestSize) {
        bestSize = size;
        bestCount = count;
      }
    }
    if (onLine == 0) text += "frames";
    text += ' ';
    for (size_t i = 0; i < bestSize; ++i) text += (i ? "," : "") + std::to_string(frames[at + i]);
    if (bestCount > 1) text += "*" + std::to_string(bestCount);
    at += bestSize * bestCount;
    if (++onLine == FramesPerLine || at == frames.size()) {
      text += '\n';
      onLine = 0;
    }
  }
  return text;
}

// Reads the lengths of one "frames" word into `frames`; an error message when it is bad.
std::string readFrames(const std::string& word, std::vector<int32_t>& frames) {
  std::string groupText = word;
  uint32_t count = 1;
  size_t star = word.find('*');
  if (star != std::string::npos) {
    groupText = word.substr(0, star);
    if (!number(word.substr(star + 1), count) || count == 0) return "bad repeat in '" + word + "'";
  }
  std::vector<int32_t> group;
  std::stringstream parts(groupText);
  for (std::string part; std::getline(parts, part, ',');) {
    int32_t length = 0;
    if (!number(part, length) || length < 0 || length > static_cast<int32_t>(LongestFrame))
      return "bad frame length in '" + word + "'";
    group.push_back(length);
  }
  if (group.empty()) return "bad frame length in '" + word + "'";
  if (static_cast<uint64_t>(count) * group.size() > Replay::MaxPasses - frames.size())
    return "more than " + std::to_string(Replay::MaxPasses) + " passes";
  for (uint32_t k = 0; k < count; ++k) frames.insert(frames.end(), group.begin(), group.end());
  return "";
}
}  // namespace

char inputLetter(int command) {
  return command >= 0 && command < static_cast<int>(InputLetters.size())
             ? InputLetters[static_cast<size_t>(command)]
             : '?';
}

int commandOfLetter(char letter) {
  size_t found = InputLetters.find(letter);
  return found == std::string::npos ? -1 : static_cast<int>(found);
}

void Replay::addPass(int32_t dt, const PassInput& input) {
  frames.push_back(dt);
  for (const Input& one : input) inputs.push_back({static_cast<uint32_t>(frames.size()), one});
}

void Replay::record(int32_t dt, const PassInput& input, const Game& after) {
  addPass(dt, input);
  uint32_t pass = static_cast<uint32_t>(frames.size());
  if (pass % DigestInterval == 0) digests.push_back({pass, after.digest()});
}

void Replay::finish(const Game& game) {
  uint32_t last = static_cast<uint32_t>(frames.size());
  if (format >= 2 && last > 0 && (digests.empty() || digests.back().pass != last))
    digests.push_back({last, game.digest()});
  endLines.clear();
  std::string end = ::endLines(game, format);
  for (size_t at = 0; at < end.size();) {
    size_t line = end.find('\n', at);
    endLines.push_back(end.substr(at, line + 1 - at));
    at = line + 1;
  }
}

void Replay::cutAt(uint32_t passes) {
  if (passes >= frames.size()) return;
  frames.resize(passes);
  while (!inputs.empty() && inputs.back().pass > passes) inputs.pop_back();
  while (!digests.empty() && digests.back().pass > passes) digests.pop_back();
}

void Replay::sealEnd() {
  // The end digest is the one being sealed: it cannot witness against itself.
  if (!digests.empty() && digests.back().pass == frames.size() &&
      digests.back().pass % DigestInterval != 0)
    digests.pop_back();
  finish(playReplay(*this).game);
}

PassInput Replay::inputsOf(uint32_t pass, size_t& cursor) const {
  PassInput input;
  for (; cursor < inputs.size() && inputs[cursor].pass <= pass; ++cursor)
    if (inputs[cursor].pass == pass)
      input.add(inputs[cursor].input.player, inputs[cursor].input.command);
  return input;
}

std::string Replay::text() const {
  std::ostringstream out;
  out << Magic << " " << format << "\nrules " << rulesVersion << "\n";
  if (!program.empty()) out << "program " << program << "\n";
  out << "mode " << setup.mode << "\nboard " << setup.columnCount << " " << setup.rowCount
      << "\nrows " << setup.rowSeeds[0] << " " << setup.rowSeeds[1] << "\nbanks "
      << setup.bankSeeds[0] << " " << setup.bankSeeds[1] << "\n";
  if (format >= 2) out << "seat " << seat << "\n";
  if (format >= 2 && leaver >= 0) out << "leaver " << leaver << "\n";
  if (!note.empty()) out << "# " << note.substr(0, note.find('\n')) << "\n";
  out << framesText(frames);
  out << "# pass player inputs (L Left, R Right, D Drop, G Grab, P PullDown, U PowerUp, H Pause, "
         "X AbortGame)";
  // Each digest follows the inputs of its pass, as the game met them.
  size_t digest = 0;
  auto digestsBefore = [&](uint64_t pass) {
    for (; digest < digests.size() && digests[digest].pass < pass; ++digest) {
      char hex[17];
      std::snprintf(hex, sizeof hex, "%016" PRIx64, digests[digest].digest);
      out << "\ndigest " << digests[digest].pass << " " << hex;
    }
  };
  for (size_t i = 0; i < inputs.size(); ++i) {
    const Stamped& one = inputs[i];
    digestsBefore(one.pass);
    bool sameLine =
        i > 0 && inputs[i - 1].pass == one.pass && inputs[i - 1].input.player == one.input.player;
    if (!sameLine) out << "\n" << one.pass << " " << int(one.input.player) << " ";
    out << inputLetter(one.input.command);
  }
  digestsBefore(UINT64_MAX);
  out << "\n";
  for (const std::string& line : endLines) out << "end " << line;
  return out.str();
}

bool Replay::read(std::istream& in, std::string& error) {
  *this = Replay();
  program.clear();
  std::string line;
  bool tooLong = false;
  long number_ = 0;
  bool sawMagic = false, sawMode = false, sawBoard = false, sawRows = false, sawBanks = false;
  int perPass = 0;
  auto fail = [&](const std::string& why) {
    error = "line " + std::to_string(number_) + ": " + printable(why);
    return false;
  };
  // A file of other rules is refused for that alone, whatever else is in it.
  auto otherRules = [&] {
    error = "made by rules version " + std::to_string(rulesVersion) +
            (program.empty() ? "" : " (Pigmora " + printable(program) + ")") +
            "; this is rules version " + std::to_string(RulesVersion);
    return false;
  };
  bool headerDone = false;
  while (boundedLine(in, line, MaxLineLength, tooLong)) {
    ++number_;
    if (tooLong) return fail("line too long");
    std::vector<std::string> w = words(line);
    if (w.empty() || w[0][0] == '#') continue;
    if (!sawMagic) {
      if (w.size() != 3 || w[0] + " " + w[1] != Magic) return fail("not a Pigmora replay");
      if (!number(w[2], format) || format < OldestFormat || format > FormatVersion)
        return fail("replay format " + w[2] + " is not known (this program reads formats " +
                    std::to_string(OldestFormat) + " to " + std::to_string(FormatVersion) + ")");
      sawMagic = true;
      continue;
    }
    const std::string& key = w[0];
    if (key == "rules" || key == "program") {
      if (headerDone) return fail("'" + key + "' after the game's lines");
      if (w.size() != 2) return fail("'" + key + "' needs one value");
      if (key == "program") program = w[1];
      if (key == "rules" && !number(w[1], rulesVersion)) return fail("bad rules version");
      continue;
    }
    if (!headerDone) {
      headerDone = true;
      if (rulesVersion != RulesVersion) return otherRules();
    }
    if (!endLines.empty() && key != "end") return fail("'" + key + "' after the end lines");
    if (key == "mode") {
      // The inputs were checked against the players of the mode before it.
      if (!inputs.empty()) return fail("'mode' after the inputs");
      int mode = -1;
      if (w.size() != 2 || !number(w[1], mode) || mode < 0 || mode > 2) return fail("bad mode");
      int columns = setup.columnCount, rows = setup.rowCount;
      uint32_t starts[4] = {setup.rowSeeds[0], setup.rowSeeds[1], setup.bankSeeds[0],
                            setup.bankSeeds[1]};
      setup = GameSetup(mode);
      setup.columnCount = columns;
      setup.rowCount = rows;
      setup.rowSeeds[0] = starts[0], setup.rowSeeds[1] = starts[1];
      setup.bankSeeds[0] = starts[2], setup.bankSeeds[1] = starts[3];
      sawMode = true;
    } else if (key == "board") {
      if (w.size() != 3 || !number(w[1], setup.columnCount) || !number(w[2], setup.rowCount))
        return fail("bad board size");
      sawBoard = true;
    } else if ((key == "seat" || key == "leaver") && format >= 2) {
      int& player = key == "seat" ? seat : leaver;
      if (w.size() != 2 || !number(w[1], player) || player < 0 || player > 1)
        return fail("bad " + key);
    } else if (key == "rows" || key == "banks") {
      uint32_t* starts = key == "rows" ? setup.rowSeeds : setup.bankSeeds;
      if (w.size() != 3 || !number(w[1], starts[0]) || !number(w[2], starts[1]))
        return fail("bad " + key + " starting values");
      (key == "rows" ? sawRows : sawBanks) = true;
    } else if (key == "frames") {
      for (size_t i = 1; i < w.size(); ++i) {
        std::string why = readFrames(w[i], frames);
        if (!why.empty()) return fail(why);
      }
    } else if (key == "digest" && format >= 2) {
      Checkpoint checkpoint{};
      const char* hex = w.size() == 3 ? w[2].data() : nullptr;
      if (!hex || !number(w[1], checkpoint.pass) || checkpoint.pass == 0 || w[2].size() != 16 ||
          std::from_chars(hex, hex + 16, checkpoint.digest, 16).ptr != hex + 16)
        return fail("a digest line is 'digest PASS HEX'");
      if (!digests.empty() && checkpoint.pass <= digests.back().pass)
        return fail("digests out of order");
      if (digests.size() == MaxDigests) return fail("too many digests");
      digests.push_back(checkpoint);
    } else if (key == "end") {
      if (endLines.size() == MaxEndLines) return fail("too many end lines");
      size_t at = line.find("end") + 3;
      if (at < line.size()) ++at;  // the one space after the word
      endLines.push_back(line.substr(at) + "\n");
    } else if (std::isdigit(static_cast<unsigned char>(key[0]))) {
      uint32_t pass = 0;
      int player = -1;
      if (w.size() != 3 || !number(key, pass) || pass == 0 || !number(w[1], player))
        return fail("an input line is 'pass player letters'");
      if (player < 0 || player >= setup.playerCount) return fail("no player " + w[1]);
      if (!inputs.empty() && pass < inputs.back().pass) return fail("passes out of order");
      if (inputs.empty() || pass != inputs.back().pass) perPass = 0;
      for (char letter : w[2]) {
        int command = commandOfLetter(letter);
        if (command < 0) return fail(std::string("unknown input '") + letter + "'");
        if (command >= Command::Pause && player != 0)
          return fail("pause and abort belong to player 0");
        if (++perPass > PassInput::Room) return fail("too many inputs in one pass");
        if (inputs.size() == MaxInputs) return fail("too many inputs");
        inputs.push_back(
            {pass, {static_cast<int8_t>(player), static_cast<Command::Value>(command)}});
      }
    } else {
      return fail("unknown line '" + key + "'");
    }
  }
  if (number_ == 0) {
    error = "the file is empty";
    return false;
  }
  if (!sawMagic) return fail("not a Pigmora replay");
  if (rulesVersion != RulesVersion) return otherRules();
  if (!sawMode || !sawBoard || !sawRows || !sawBanks)
    return fail("the file ends before its setup is complete");
  if (!setup.valid()) return fail("a board of that size cannot be played");
  if (seat >= setup.playerCount || leaver >= setup.playerCount)
    return fail("a seat or leaver of a game with " + std::to_string(setup.playerCount) + " player" +
                (setup.playerCount > 1 ? "s" : ""));
  if (frames.empty()) return fail("the file has no frames");
  if (!inputs.empty() && inputs.back().pass > frames.size())
    return fail("inputs for pass " + std::to_string(inputs.back().pass) + " of " +
                std::to_string(frames.size()));
  if (!digests.empty() && digests.back().pass > frames.size())
    return fail("a digest for pass " + std::to_string(digests.back().pass) + " of " +
                std::to_string(frames.size()));
  if (endLines.empty()) return fail("the file ends before its end lines (truncated?)");
  return true;
}

namespace {
// The board checksum of format 1 replays, kept so that their end lines still check.
uint64_t formatOneBoardDigest(const Board& board) {
  uint64_t hash = 1469598103934665603ull;
  auto mix = [&hash](int64_t value) {
    for (int i = 0; i < 8; ++i) {
      hash ^= static_cast<uint64_t>(value >> (i * 8)) & 0xff;
      hash *= 1099511628211ull;
    }
  };
  mix(board.riseOffset);
  for (int row = 0; row < board.height; ++row)
    for (int column = 0; column < board.width; ++column) {
      const Cell& cell = board.at(column, row);
      mix(cell.colour);
      mix(cell.flags);
      mix(cell.fall);
      mix(cell.timer);
    }
  return hash;
}
}  // namespace

std::string savedEndLines(const Game& game, int format) {
  std::string lines = endLines(game, format), saved;
  for (size_t at = 0; at < lines.size();) {
    size_t next = lines.find('\n', at) + 1;
    saved += "end " + lines.substr(at, next - at);
    at = next;
  }
  return saved;
}

std::string endLines(const Game& game, int format) {
  std::string lines;
  for (int i = 0; i < game.playerCount(); ++i) {
    const Player& p = game.players[i];
    char head[96], digest[32];
    std::snprintf(head, sizeof head, "%.17g %d %d %d %d |", p.score, p.elapsed, p.maxChain,
                  p.totalPieces, p.level);
    std::string text = head;
    for (int n : p.piecesByColour) text += " " + std::to_string(n);
    uint64_t board = format >= 2 ? digestOf(p.board) : formatOneBoardDigest(p.board);
    std::snprintf(digest, sizeof digest, " | %016" PRIx64, board);
    lines += "player " + std::to_string(i) + ": " + text + digest + "\n";
  }
  return lines;
}

bool ReplayWitness::agrees(uint32_t pass, const Game& game) {
  if (partedAt != 0) return false;
  while (next < replay.digests.size() && replay.digests[next].pass < pass) ++next;
  if (next == replay.digests.size() || replay.digests[next].pass != pass) return true;
  if (replay.digests[next++].digest != game.digest()) {
    partedAt = pass;
    return false;
  }
  lastAgreed = pass;
  return true;
}

std::string ReplayWitness::parting() const {
  return "parts from the game at pass " + std::to_string(partedAt) + " (last agreed at pass " +
         std::to_string(lastAgreed) + ")";
}

bool ReplayRun::endsAsSaved(const Replay& replay) const {
  if (partedAt != 0) return false;
  std::string stored;
  for (const std::string& line : replay.endLines) stored += line;
  return endLines(game, replay.format) == stored;
}

ReplayRun playReplay(const Replay& replay, const std::function<void(const Game&)>& onPass) {
  ReplayRun run;
  run.game = Game(replay.setup);
  ReplayWitness witness(replay);
  StepEvents events;
  size_t cursor = 0;
  for (uint32_t pass = 1; pass <= replay.frames.size() && run.game.state != Over; ++pass) {
    run.game.step(replay.frames[pass - 1], replay.inputsOf(pass, cursor), events);
    if (onPass) onPass(run.game);
    if (!witness.agrees(pass, run.game)) break;
  }
  run.over = run.game.state == Over;
  run.partedAt = witness.partedAt;
  run.lastAgreed = witness.lastAgreed;
  if (run.partedAt) run.parting = witness.parting();
  return run;
}
