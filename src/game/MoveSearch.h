#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "ComputerLevel.h"
#include "MoveJudge.h"

// The computer's decision, spread over as many frames as it needs: it lists the plans
// open to it, judges a few of them on each frame, gives the most promising ones a look at
// the move after, and finally picks one, now and then misjudging as people do.
class MoveSearch {
public:
  // Starts a decision about the real player; `random` supplies every chance it takes.
  void begin(const Player& real, const OpponentView& view, const ComputerLevel& level,
             std::mt19937& random);
  // Judges plans until about `budget` rule steps were spent; true once the choice is made.
  bool advance(int budget);
  bool busy() const { return phase != Done; }
  // What the decision made of a plan as a first move, with any look at the move after;
  // JudgeWeight::Lost for a plan it did not list.
  double valueOf(const Plan& plan) const;

  Plan choice;

private:
  enum Phase { FirstMoves, SecondMoves, Done };
  struct Candidate {
    Plan plan;
    double value = 0;
  };
  void listPlans(const Player& from, bool deep, std::vector<Candidate>& out);
  void startSecondLooks(int& updates);
  void choose();
  double noise();

  MoveJudge judge;
  ComputerLevel level{};
  std::mt19937* random = nullptr;
  std::vector<Candidate> firsts, seconds;
  std::vector<size_t> looked;  // indices into firsts given a second look
  size_t next = 0, nextLook = 0;
  Phase phase = Done;
};
