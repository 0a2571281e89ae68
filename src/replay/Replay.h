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
// of that pass, with the end the game reached when it was saved. The format:
//
//   Pigmora replay 1               the format's own version (this is 1)
//   rules 1                        RulesVersion of the program that saved it
//   program 1.1                    the version of that program
//   mode 1                         0 Practice, 1 2p Versus, 2 Survival
//   board 7 13                     columns and rows
//   rows 4242 4242                 each board's rows' starting value
//   banks 131502 131503            each power-up bank's starting value
//   frames 0 16*3 17,16*20 ...     pass lengths in ms, in order; "N*K" is N K times,
//                                  "A,B*K" the group A B K times; as many lines as needed
//   8 0 LLG                        pass (from 1), player, inputs in order: L Left, R Right,
//                                  D Drop, G Grab, P PullDown, U PowerUp, H Pause, X AbortGame
//   end player 0: 7.05 ...         the end lines (see endLines), last in the file
//
// Lines starting with # and empty lines are ignored. Passes come in order.
struct Replay {
  static constexpr int FormatVersion = 1;
  // Bounds that keep a damaged or hostile file from taking the machine: about 18 hours
  // of play at 60 passes a second, and a generous line.
  static constexpr uint32_t MaxPasses = 4000000;
  static constexpr size_t MaxLineLength = 65536;
  static constexpr size_t MaxEndLines = 4;
  static constexpr size_t MaxInputs = 4000000;

  struct Stamped {
    uint32_t pass;  // from 1
    Input input;
  };

  GameSetup setup;
  int rulesVersion = RulesVersion;
  std::string program;                // the version of the program that saved it
  std::vector<int32_t> frames;        // the length of each pass
  std::vector<Stamped> inputs;        // in pass order
  std::vector<std::string> endLines;  // stored at saving, each ending in "\n"
  std::string note;                   // a remark kept as a comment line; not read back

  // Keeps one more pass.
  void addPass(int32_t dt, const PassInput& input);
  // Keeps only the first `passes` passes and their inputs.
  void cutAt(uint32_t passes);
  // Plays the passes kept and stores the end they reach as the end lines.
  void sealEnd();
  // The inputs of a pass (from 1).
  PassInput inputsOf(uint32_t pass, size_t& cursor) const;

  std::string text() const;
  // Reads a replay; on failure says why in `error` ("line N: ..." or the rules version).
  bool read(std::istream& in, std::string& error);
};

// How a game ended, one line per player: score, time played, longest chain, pieces
// reacted, level | pieces by colour | digest of the final board.
std::string endLines(const Game& game);

// Plays a replay through the real loop with nobody at the keys; returns its end lines,
// with "the game did not end\n" first when its passes ran out before the game was over.
// onPass sees the game after every pass.
std::string playReplay(const Replay& replay, const std::function<void(const Game&)>& onPass = {});

// The letter of an input in a replay, and back (-1 for none).
char inputLetter(int command);
int commandOfLetter(char letter);
