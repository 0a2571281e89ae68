#include "ComputerController.h"

#include <algorithm>

#include "Command.h"
#include "GameLoop.h"

ComputerController::ComputerController(int levelNumber, uint32_t startValue)
    : level(computerLevel(levelNumber)), random(startValue) {}

int ComputerController::attach(GameLoop* newLoop, int newIndex) {
  int result = PlayerController::attach(newLoop, newIndex);
  if (result == 0) newLoop->bus.subscribe(PollInput, this);
  return result;
}

void ComputerController::handle(int id, void*, MessageBus*) {
  if (id != PollInput || !loop || !loop->game.takesCommands(loop->pending)) return;
  const Player& me = loop->game.players[index];
  if (!me.alive) return;
  switch (phase) {
    case Resting:
      // A person takes in the board once the hands are free and the last keys have been
      // played, and only then starts to decide.
      if (!me.commands.empty() || (me.actionState != Idle && me.actionState != Holding)) return;
      if (restUntil < 0) restUntil = me.elapsed + level.reactionMs;
      if (me.elapsed < restUntil) return;
      search.begin(me, opponentView(), level, random);
      phase = Thinking;
      think(me);
      return;
    case Thinking:
      think(me);
      return;
    case Pressing:
      press(me);
      return;
  }
}

OpponentView ComputerController::opponentView() const {
  OpponentView view;
  const Game& game = loop->game;
  if (game.playerCount() < 2) return view;
  view.owedRows = game.players[1 - index].owedRows();
  return view;
}

void ComputerController::think(const Player& me) {
  if (!search.advance(TrialStepsPerFrame)) return;
  plan(search.choice);
  phase = Pressing;
  nextKeyAt = me.elapsed;
}

int ComputerController::aimedColumn(const Player& me) {
  // Where the cursor ends up once the moves still queued are played.
  int column = me.cursorColumn;
  for (Command::Value command : me.commands) {
    if (command == Command::Left) column = std::max(0, column - 1);
    if (command == Command::Right) column = std::min(me.board.width - 1, column + 1);
  }
  return column;
}

bool ComputerController::stillThere(const Player& me, const Key& key) {
  const Board& board = me.board;
  int row = board.topPieceRow(key.column);
  return row >= 0 && board.at(key.column, row).colour == key.colour &&
         !board.at(key.column, row).is(Cell::Exploding);
}

void ComputerController::plan(const Plan& chosen) {
  keys.clear();
  nextKey = 0;
  switch (chosen.kind) {
    case Plan::Move:
      for (int column : {chosen.grab, chosen.gather}) {
        if (column < 0) continue;
        keys.push_back({Walk, column, Colour::Empty});
        keys.push_back({Command::Grab, column, chosen.colour});
      }
      keys.push_back({Walk, chosen.column, Colour::Empty});
      keys.push_back({Command::Drop, -1, Colour::Empty});
      break;
    case Plan::PowerUp:
      if (chosen.column >= 0) keys.push_back({Walk, chosen.column, Colour::Empty});
      keys.push_back({Command::PowerUp, -1, Colour::Empty});
      break;
    case Plan::PullDown:
      keys.push_back({Command::PullDown, -1, Colour::Empty});
      break;
    default:
      break;
  }
}

void ComputerController::press(const Player& me) {
  if (me.elapsed < nextKeyAt) return;
  // A walk is aimed at the cursor's real column each time, so keys that were lost (to
  // the pause, say) do not lead it astray.
  while (nextKey < keys.size() && keys[nextKey].command == Walk &&
         aimedColumn(me) == keys[nextKey].column)
    ++nextKey;
  if (nextKey == keys.size()) {
    phase = Resting;
    restUntil = -1;
    return;
  }
  const Key& key = keys[nextKey];
  int command = key.command;
  if (command == Walk) {
    command = aimedColumn(me) < key.column ? Command::Right : Command::Left;
  } else {
    if (command == Command::Grab && !stillThere(me, key)) {
      // The board moved on while it was deciding: look again rather than grab blindly.
      phase = Resting;
      restUntil = me.elapsed + level.reactionMs / 2;
      return;
    }
    ++nextKey;
  }
  loop->add(index, command);
  nextKeyAt = me.elapsed + level.keyGapMs;
}
