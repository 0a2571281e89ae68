#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "Game.h"

// The version of the rules: a replay plays back the same only under the rules that made
// it. Raise it with any change to the rules that changes play.
constexpr int RulesVersion = 1;

// A whole game kept as text: its setup and, pass by pass, the frame length and the inputs
// of that pass, with the game's digest now and then and the end the game reached when it
// was saved. The format:
//
//   Pigmora replay 2               the format's own version (1 or 2)
//   rules 1                        RulesVersion of the program that saved it
//   program 1.1                    the version of that program
//   mode 1                         0 Practice, 1 2p Versus, 2 Survival
//   board 7 13                     columns and rows
//   rows 4242 4242                 each board's rows' starting value
//   banks 131502 131503            each power-up bank's starting value
//   seat 1                         whose game this is: the board shown on the left (format
//                                  2 on; 0 when not given)
//   leaver 0                       the player who left the game, if one did (format 2 on)
//   frames 0 16*3 17,16*20 ...     pass lengths in ms, in order; "N*K" is N K times,
//                                  "A,B*K" the group A B K times; as many lines as needed
//   8 0 LLG                        pass (from 1), player, inputs in order: L Left, R Right,
//                                  D Drop, G Grab, P PullDown, U PowerUp, H Pause, X AbortGame
//   digest 600 0123456789abcdef    the game's digest after that pass: every DigestInterval
//                                  passes and after the last (format 2 on)
//   end player 0: 7.05 ...         the end lines (see endLines), last in the file
//
// Lines starting with # and empty lines are ignored. Passes come in order. A file of format
// 1 has no digests, and its end lines check the boards by an older checksum.
struct Replay {
  static constexpr int FormatVersion = 2;
  static constexpr int OldestFormat = 1;
  // Passes between the digests a replay keeps: a replay that parts from the game it was made
  // from is caught within this many passes (ten seconds of play).
  static constexpr uint32_t DigestInterval = 600;
  // Bounds that keep a damaged or hostile file from taking the machine: about 18 hours
  // of play at 60 passes a second, and a generous line.
  static constexpr uint32_t MaxPasses = 4000000;
  static constexpr size_t MaxLineLength = 65536;
  static constexpr size_t MaxEndLines = 4;
  static constexpr size_t MaxInputs = 4000000;
  static constexpr size_t MaxDigests = MaxPasses / DigestInterval + 2;

  struct Stamped {
    uint32_t pass;  // from 1
    Input input;
  };
  struct Checkpoint {
    uint32_t pass;  // from 1: the game as that pass left it
    uint64_t digest;
  };

  GameSetup setup;
  int rulesVersion = RulesVersion;
  std::string program;              // the version of the program that saved it
  std::vector<int32_t> frames;      // the length of each pass
  std::vector<Stamped> inputs;      // in pass order
  std::vector<Checkpoint> digests;  // in pass order
  int format = FormatVersion;       // the file's, when read from one
  int seat = 0;     // the player whose replay it is, shown on the left (a network game's guest: 1)
  int leaver = -1;  // the player who left the game (a network game), or -1
  std::vector<std::string> endLines;  // stored at saving, each ending in "\n"
  std::string note;                   // a remark kept as a comment line; not read back

  // Keeps one more pass.
  void addPass(int32_t dt, const PassInput& input);
  // Keeps one more pass, with the game as it left it: its digest, when one is due.
  void record(int32_t dt, const PassInput& input, const Game& after);
  // Keeps the end `game` reached after the last pass: its digest and its end lines.
  void finish(const Game& game);
  // Keeps only the first `passes` passes, their inputs and their digests.
  void cutAt(uint32_t passes);
  // Plays the passes kept and keeps the end they reach, as finish does.
  void sealEnd();
  // The inputs of a pass (from 1).
  PassInput inputsOf(uint32_t pass, size_t& cursor) const;

  std::string text() const;
  // Reads a replay; on failure says why in `error` ("line N: ..." or the rules version).
  bool read(std::istream& in, std::string& error);
};

// How a game ended, one line per player: score, time played, longest chain, pieces
// reacted, level | pieces by colour | digest of the final board (by the checksum of the
// replay format given).
std::string endLines(const Game& game, int format = Replay::FormatVersion);
// The same lines as a replay file of that format keeps them, each behind "end ".
std::string savedEndLines(const Game& game, int format = Replay::FormatVersion);

// Follows a game played from a replay against the digests the replay keeps.
class ReplayWitness {
public:
  explicit ReplayWitness(const Replay& replay) : replay(replay) {}
  // After pass `pass` (from 1) left `game`: false once the game has parted from the replay.
  bool agrees(uint32_t pass, const Game& game);
  uint32_t partedAt = 0;    // the first pass whose digest differs; 0 while none has
  uint32_t lastAgreed = 0;  // the last pass whose digest agreed; 0 while none has
  // "parts from the game at pass N (last agreed at pass M)"
  std::string parting() const;

private:
  const Replay& replay;
  size_t next = 0;
};

// What playing a replay came to.
struct ReplayRun {
  Game game;              // as the last pass played left it
  bool over = false;      // the rules ended the game within the replay's passes
  uint32_t partedAt = 0;  // the first pass whose digest differs (play stopped there); 0: none
  uint32_t lastAgreed = 0;
  std::string parting;  // the witness's words when it parted
  // The game ended as the replay says it did when saved, digests and end lines alike.
  bool endsAsSaved(const Replay& replay) const;
};

// Plays a replay with nobody at the keys, checking its digests as it goes; onPass sees the
// game after every pass.
ReplayRun playReplay(const Replay& replay, const std::function<void(const Game&)>& onPass = {});

// The letter of an input in a replay, and back (-1 for none).
char inputLetter(int command);
int commandOfLetter(char letter);
