#include "Invariants.h"

#include <algorithm>

void Invariants::fault(int index, const std::string& what) {
  if (faults.size() < 20)
    faults.push_back("frame " + std::to_string(frame) + ", player " + std::to_string(index) + ": " +
                     what);
}

void Invariants::check(const Game& game) {
  ++frame;
  for (int i = 0; i < game.playerCount(); ++i) checkPlayer(game.players[i], i, seen[i]);
}

void Invariants::checkPlayer(const Player& p, int index, Seen& before) {
  const Board& board = p.board;
  int pieces = 0, explodingEmpty = 0;
  for (int row = 0; row < board.height; ++row)
    for (int column = 0; column < board.width; ++column) {
      const Cell& c = board.at(column, row);
      bool exploding = c.is(Cell::Exploding);
      pieces += c.hasColour();
      explodingEmpty += exploding && !c.hasColour();
      std::string at = " at " + std::to_string(column) + "," + std::to_string(row);
      if (c.colour < -1 || c.colour > 9 || (c.flags & ~0x1f))
        fault(index, "bad colour or flag" + at);
      if (!c.hasColour() && !exploding && (c.flags || c.fall || c.timer))
        fault(index, "empty cell with state" + at);
      if (c.is(Cell::Check) && !c.hasColour()) fault(index, "check on no piece" + at);
      if (exploding ? (c.timer < 0 || c.timer >= FixedOne) : c.timer != 0)
        fault(index, "timer out of range" + at);
      if (c.fall < 0 || (!c.is(Cell::Falling) && c.fall != 0))
        fault(index, "fall out of range" + at);
    }
  if (p.cursorColumn < 0 || p.cursorColumn >= board.width || p.cursorPos < 0 ||
      p.cursorPos > (board.width - 1) * FixedOne)
    fault(index, "cursor off the board");
  if (p.actionState == Idle && (p.heldCount || p.flightCount || p.heldColour != -1))
    fault(index, "idle hands hold something");
  if (p.actionState == Holding && (p.heldCount <= 0 || p.flightCount != 0))
    fault(index, "holding nothing");
  if (p.actionState == GrabFlight && p.flightCount <= 0) fault(index, "empty grab flight");
  if (p.actionState < GrabFlight || p.actionState > DropDone) fault(index, "unknown action");
  for (const LaserShot& shot : p.lasers)
    if (!board.inside(shot.column, shot.row)) fault(index, "laser off the board");

  int total = pieces + p.heldCount + p.flightCount;
  if (before.known) {
    int pushed = board.rowSeed != before.rowSeed ? board.width : 0;
    int doubled = p.doublerCharges < before.doublerCharges ? p.heldCount : 0;
    // A drop can start and land within one long frame.
    bool dropEnded = (before.actionState == Holding || before.actionState == DropFlight ||
                      before.actionState == DropDone) &&
                     (p.actionState == Idle || p.actionState == DropDone);
    int discarded = dropEnded ? before.flightCount + before.heldCount : 0;
    std::string counts = ": " + std::to_string(before.pieces) + " -> " + std::to_string(total);
    if (total > before.pieces + pushed + doubled) fault(index, "pieces appeared" + counts);
    if (total < before.pieces + pushed - explodingEmpty - discarded)
      fault(index, "pieces vanished" + counts);
  }
  before = {true,          total,       board.rowSeed, p.doublerCharges,
            p.flightCount, p.heldCount, p.actionState};
}

std::vector<std::string> playChecked(HeadlessGame& headless, int shortestMs) {
  Invariants invariants;
  headless.onFrame = [&invariants](Game& game) { invariants.check(game); };
  headless.play();
  std::vector<std::string>& faults = invariants.faults;
  if (headless.gaveUp || headless.game.state != Over) faults.push_back("the game never ended");
  int out = 0, playedMs = 0;
  for (int i = 0; i < headless.game.playerCount(); ++i) {
    const Player& p = headless.game.players[i];
    out += !p.alive;
    playedMs = std::max(playedMs, p.elapsed);
    // A player who tops out mid-chain keeps it open; the others must have settled.
    if (p.score < 0 || (p.alive && p.chainCount)) faults.push_back("open chain or score < 0");
  }
  if (!out) faults.push_back("nobody topped out");
  if (playedMs < shortestMs) faults.push_back("suspiciously short game");
  return faults;
}
