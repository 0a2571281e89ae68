// The player's hands: cursor motion, the command queue, grabs, drops and their flights.
#include "Colour.h"
#include "Command.h"
#include "Player.h"
#include "Tuning.h"

void Player::moveCursor(int32_t dt) {
  fixed_t target = cursorColumn * FixedOne;
  if (cursorPos == target) return;
  double step = static_cast<double>(cursorSpeed) * dt;
  if (slowTimer > 0) step /= SlowCursorDivisor;
  if (cursorPos < target) {
    cursorPos = static_cast<fixed_t>(cursorPos + step);
    if (cursorPos > target) cursorPos = target;
  } else {
    cursorPos = static_cast<fixed_t>(cursorPos - step);
    if (cursorPos < target) cursorPos = target;
  }
}

void Player::processCommands(int32_t dt, StepEvents& events) {
  moveCursor(dt);
  if (commands.empty()) return;
  if (!runCommand(commands.front(), events)) commands.pop_front();
}

bool Player::runCommand(Command::Value command, StepEvents& events) {
  bool settled = cursorPos == cursorColumn * FixedOne;
  switch (command) {
    case Command::Left:
      if (cursorColumn > 0) cursorColumn -= 1;
      return false;
    case Command::Right:
      if (cursorColumn < board.width - 1) cursorColumn += 1;
      return false;
    case Command::Drop:
      if (!settled || flying()) return true;
      if (actionState == Holding) {
        flightRow = board.height;
        flightColumn = cursorColumn;
        flightPos = 0;
        flightCount = heldCount;
        heldCount = 0;
        actionState = DropFlight;
        playSound(events, Sound::Drop);
      }
      return false;
    case Command::Grab:
      if (!settled || flying()) return true;
      grab(events);
      return false;
    case Command::PullDown:
      if (!board.pushRow()) alive = false;
      return false;
    case Command::PowerUp:
      if (playerCount() >= 2) {
        bank.usePowerUp(*this, events);
      } else if (laserCharges > 0) {
        if (!settled || lasers.full()) return true;
        bank.fireLaser(*this, events);
        laserCharges -= 1;
        if (laserCharges > 0) lasersTimer = MessageTime;
      }
      return false;
    default:
      return false;  // not a player's command: dropped
  }
}

void Player::grab(StepEvents& events) {
  int column = cursorColumn;
  int row = board.topPieceRow(column);
  if (row < 0 || !board.at(column, row).hasColour()) return;
  if (actionState == Idle) {
    actionState = GrabFlight;
    heldColour = board.at(column, row).colour;
  }
  int taken = 0;
  for (; row >= 0; --row) {
    Cell& cell = board.at(column, row);
    if (cell.colour != heldColour || cell.is(Cell::Exploding)) break;
    cell.makeEmpty();
    flightCount += 1;
    flightColumn = column;
    flightPos = 0;
    flightRow = row - 1;
    actionState = GrabFlight;
    ++taken;
  }
  if (taken > 0)
    playSound(events, Sound::Grab);
  else if (flightCount == 0 && heldCount == 0)
    returnToIdle();
}

void Player::advanceFlight(int32_t dt) {
  if (actionState != DropFlight && actionState != GrabFlight) return;
  double step = static_cast<double>(flightSpeed) * dt;
  if (slowTimer > 0) step /= SlowFlightDivisor;
  if (actionState == DropFlight) {
    flightPos = static_cast<fixed_t>(flightPos + step);
    while (flightPos >= FixedOne) {
      flightPos -= FixedOne;
      flightRow -= 1;
      if (flightRow >= 0) {
        const Cell& below = board.at(flightColumn, flightRow);
        if (!below.hasColour() && !below.is(Cell::Exploding)) continue;
      }
      // Landed. A matching top piece gets looked at again: the pieces that found no room
      // may still join its group.
      int top = board.topRow();
      if (flightRow == top) {
        Cell& cell = board.at(flightColumn, top);
        if (cell.colour == heldColour && !cell.is(Cell::Exploding)) cell.flags |= Cell::Check;
      }
      for (int row = flightRow + 1; row <= top && flightCount > 0; ++row) {
        Cell& cell = board.at(flightColumn, row);
        if (cell.hasColour() || cell.is(Cell::Exploding)) continue;
        board.setCell(flightColumn, row, heldColour);
        cell.flags |= Cell::Check;
        flightCount -= 1;
      }
      flightPos = 0;
      actionState = DropDone;
      return;
    }
  } else {
    flightPos = static_cast<fixed_t>(flightPos - step);
    while (flightPos < 0) {
      flightRow += 1;
      flightPos += FixedOne;
      if (flightRow < board.height) continue;
      heldCount += flightCount;
      if (doublerCharges != 0) {
        heldCount += flightCount;
        doublerCharges -= 1;
      }
      flightCount = 0;
      actionState = Holding;
      flightPos = 0;
      return;
    }
  }
}
