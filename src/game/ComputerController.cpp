#include "ComputerController.h"

#include "Binding.h"
#include "Game.h"

ComputerController::ComputerController(int levelNumber, uint32_t startValue)
    : level(computerLevel(levelNumber)), random(startValue) {}

int ComputerController::attach(Game* newGame, int newIndex) {
  int result = PlayerController::attach(newGame, newIndex);
  if (result == 0) newGame->bus.subscribe(PollInput, this);
  return result;
}

void ComputerController::handle(int id, void*, MessageBus*) {
  if (id != PollInput || !game || game->paused || game->state != Running) return;
  Player& me = game->players[index];
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
  const Player& other = game->players[1 - index];
  if (!other.controller) return view;
  int width = other.board.width;
  view.owedRows = other.pendingRows + (width > 1 ? other.bank.incoming / (width - 1) : 0);
  for (const PowerUpBank::Stored& stored : other.bank.stored) view.stored.push_back(stored.kind);
  return view;
}

void ComputerController::think(Player& me) {
  if (!search.advance(TrialStepsPerFrame)) return;
  plan(me, search.choice);
  phase = Pressing;
  nextKeyAt = me.elapsed;
}

void ComputerController::walk(int& from, int to) {
  for (; from < to; ++from) keys.push_back({Command::Right, -1, -1});
  for (; from > to; --from) keys.push_back({Command::Left, -1, -1});
}

void ComputerController::plan(const Player& me, const Plan& chosen) {
  keys.clear();
  nextKey = 0;
  int at = me.cursorColumn;
  switch (chosen.kind) {
    case Plan::Move:
      for (int column : {chosen.grab, chosen.gather}) {
        if (column < 0) continue;
        walk(at, column);
        keys.push_back({Command::Grab, column, chosen.colour});
      }
      walk(at, chosen.column);
      keys.push_back({Command::Drop, -1, -1});
      break;
    case Plan::PowerUp:
      if (chosen.column >= 0) walk(at, chosen.column);
      keys.push_back({Command::PowerUp, -1, -1});
      break;
    case Plan::PullDown:
      keys.push_back({Command::PullDown, -1, -1});
      break;
    default:
      break;
  }
}

void ComputerController::press(Player& me) {
  if (me.elapsed < nextKeyAt) return;
  if (nextKey < keys.size()) {
    const Key& key = keys[nextKey];
    if (key.command == Command::Grab) {
      // The board moved on while it was deciding: look again rather than grab blindly.
      const Board& board = me.board;
      int row = board.height - 1;
      while (row >= 0 && !board.at(key.column, row).hasColour() &&
             !board.at(key.column, row).is(Cell::Exploding))
        --row;
      if (row < 0 || board.at(key.column, row).colour != key.colour ||
          board.at(key.column, row).is(Cell::Exploding)) {
        phase = Resting;
        restUntil = me.elapsed + level.reactionMs / 2;
        return;
      }
    }
    me.commands.push_back(key.command);
    ++nextKey;
    nextKeyAt = me.elapsed + level.keyGapMs;
    return;
  }
  phase = Resting;
  restUntil = -1;
}
