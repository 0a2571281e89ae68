#pragma once

#include <string>

#include "NetMatch.h"

// What the player at this machine is shown of a network match, apart from the drawing: their
// own board on the left, the line over the boards as the match goes, and at the end who left,
// for the results.
class MatchView {
public:
  explicit MatchView(const NetMatch& match);
  // Follows what happened in the match.
  void take(const MatchEvent& event);

  int leftPlayer;         // the side whose board is drawn on the left: this machine's
  int leaver = -1;        // the side whose player left, once the match ended so; -1: nobody
  bool noWinner = false;  // the match ended with neither the rules nor a player deciding it
  std::string notice;     // over the boards; "" when there is nothing to say

private:
  const NetMatch& match;
};
