#pragma once

// A game set up on a table for a test: the real loop, bus and controllers, a listener
// that writes down every sound, and boards drawn as pictures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Binding.h"
#include "Colour.h"
#include "GameLoop.h"
#include "HumanController.h"
#include "Listener.h"

using Lines = std::vector<std::string>;

class SoundLog : public Listener {
public:
  void handle(int, void* data, MessageBus*) override {
    names.push_back(*static_cast<std::string*>(data));
  }
  int count(const std::string& name) const;
  Lines names;
};

class Table {
public:
  // Mode 0 Practice, 1 Versus (both players attached), 2 Survival. No rows are owed at
  // the start, so that a test's board stays as drawn.
  explicit Table(int mode = 0);

  Player& player(int index = 0) { return game.players[index]; }
  // Runs one player's update for frames of dt ms each.
  void frames(int count, int dt, int index = 0);
  // Runs whole passes of the loop's update with the clock moving dt ms per frame.
  void gameFrames(int count, int dt);
  // Commands for a player, as key presses reach the game: through the bus, taken at once.
  void press(std::initializer_list<int> commands, int index = 0);
  // TogglePause or AbortGame, as the keys post them, taken at once.
  void post(int id, int player = 0);

  GameLoop loop;
  Game& game = loop.game;
  HumanController controllers[2];
  SoundLog sounds;
  StepEvents events;
  uint32_t now = 1;

private:
  void takePending();
};

// Test fixtures: a table of each mode, with its players at hand.
struct Practice : ::testing::Test, Table {
  Player& p = player();
};
struct Survival : ::testing::Test, Table {
  Survival() : Table(2) {}
  Player& p = player();
};
struct TwoPlayers : ::testing::Test, Table {
  TwoPlayers() : Table(1) {}
  Player& mine = player(0);
  Player& theirs = player(1);
};

// Draws pieces on a board from a picture, top line first, bottom line last (row 0).
// Letters: W R Y O B P G K (black) D (dud) * (wild), '.' empty. Missing rows stay empty.
void draw(Player& player, const Lines& picture);
// The lowest rows of the board as a picture in the same letters, top line first
// (exploding empty cells 'x'); all rows when rows is 0.
Lines picture(const Player& player, int rows = 0);
// Pieces on the board: all of them, or those of one colour.
int pieceCount(const Player& player, int colour = -2);
// Marks a cell to be looked at for groups, as a landing piece is.
void check(Player& player, int column, int row);
// Empties a cell into an explosion of the piece it held, already timer along.
Cell& explode(Player& player, int column, int row, int oldColour, fixed_t timer = 0);
// Puts pieces in the player's hands as if grabbed.
void hold(Player& player, int colour, int count);
// The commands waiting in a player's queue.
std::vector<int> queued(const Player& player);
// The names of the sounds a player's own steps made into `events`.
Lines heard(const StepEvents& events);
