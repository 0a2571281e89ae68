#include "PowerUpBank.h"

#include <algorithm>
#include <cstdio>

#include "Colour.h"
#include "Messages.h"
#include "NextRandom.h"
#include "Player.h"
#include "PowerUpMessage.h"
#include "Tuning.h"

namespace {
const char* const colourNames[] = {"White",  "Red",   "Yellow", "Orange", "Blue",
                                   "Purple", "Green", "Black",  "Duds"};
}

void PowerUpBank::send(const Player& owner, int id, int kind, int amount, StepEvents& events) {
  events.sent.push_back({id, kind, amount, owner.index});
}

void PowerUpBank::charge(Player& owner, int colour, int count, StepEvents& events) {
  int total = count;
  for (int i = 0; i < charges.size(); ++i)
    if (charges[i].colour == colour) {
      total += charges[i].count;
      charges.erase(i);
      break;
    }
  if (total >= PiecesPerPowerUp) {
    // The power-up's own drop of minGroup must not be undone when this very chain closes.
    if (colour == Colour::Red && owner.playerCount() == 1 && owner.minGroup >= StartMinGroup)
      owner.minGroupHold = true;
    activate(owner, colour, total, events);
    if (total % PiecesPerPowerUp != 0) charges.push_back({colour, total % PiecesPerPowerUp});
  } else {
    charges.push_back({colour, total});
  }
  if (count != 0) send(owner, SendDuds, Colour::Black, count, events);
}

void PowerUpBank::endOfChain(Player& owner, StepEvents& events) {
  int sum = 0;
  while (!charges.empty()) {
    Charge left = charges.front();
    charges.pop_front();
    if (left.count >= PiecesPerPowerUp) activate(owner, left.colour, left.count, events);
    sum += left.count;
  }
  send(owner, SendPowerUp, Colour::Black, sum, events);
}

void PowerUpBank::activate(Player& owner, int kind, int amount, StepEvents& events) {
  switch (kind) {
    case Colour::White:
    case Colour::Purple:
    case Colour::Green:
      apply(owner, kind, amount, false, events);
      break;
    case Colour::Red:
    case Colour::Yellow:
    case Colour::Blue:
      if (owner.playerCount() > 1)
        stored.push_back({kind, amount});
      else
        apply(owner, kind, amount, false, events);
      break;
    case Colour::Orange:
      if (owner.playerCount() == 1)
        apply(owner, kind, amount, false, events);
      else
        send(owner, SendPowerUp, kind, amount, events);
      break;
    default:
      break;
  }
}

void PowerUpBank::usePowerUp(Player& owner, StepEvents& events) {
  if (stored.empty()) return;
  Stored next = stored.back();
  stored.pop_back();
  if (next.kind == Colour::Red || next.kind == Colour::Blue)
    apply(owner, next.kind, next.amount, false, events);
  else if (next.kind == Colour::Yellow)
    send(owner, SendPowerUp, next.kind, next.amount, events);
}

void PowerUpBank::receive(Player& owner, const PowerUpMessage& message, StepEvents& events) {
  if (owner.shieldTimer > 0 || message.sender == owner.index) return;
  apply(owner, message.kind, message.amount, message.id == SendDuds, events);
}

void PowerUpBank::apply(Player& p, int kind, int amount, bool incomingPieces, StepEvents& events) {
  if (incomingPieces && kind != Colour::Black) return;
  Board& board = p.board;
  int strength = amount / PiecesPerPowerUp;
  bool alone = p.playerCount() == 1;
  switch (kind) {
    case Colour::White:
      erase(p, strength, events);
      break;
    case Colour::Red:
      p.minGroup -= strength;
      break;
    case Colour::Yellow:
      if (alone)
        p.slowReactionsTimer += strength * EffectTime;
      else
        p.slowTimer += strength * EffectTime;
      break;
    case Colour::Orange:
      if (alone) {
        p.multiplierTimer += strength * EffectTime;
      } else {
        convert(p, strength * DudsPerStrength, DudColumnDepth, Colour::Dud);
        p.dudsAddedTimer = MessageTime;
      }
      break;
    case Colour::Blue:
      if (alone) {
        p.laserChargedTimer = MessageTime;
        p.lasersTimer = MessageTime;
        p.laserCharges += amount;
      } else {
        board.eraseColour(Colour::Dud);
        p.pendingRows = 0;
        incoming = 0;
        p.shieldTimer += strength * EffectTime;
        p.slowTimer = 0;
      }
      break;
    case Colour::Purple:
      convert(p, strength * WildsPerStrength, WildColumnDepth, Colour::Wild);
      p.wildsAddedTimer = MessageTime;
      break;
    case Colour::Green:
      p.doublerCharges += strength;
      break;
    case Colour::Black:
      if (board.width < 2) break;
      if (incomingPieces) {
        incoming = std::min(incoming + amount, (board.height - MeterFreeRows) * (board.width - 1));
      } else {
        p.pendingRows += incoming / (board.width - 1);
        incoming = 0;
      }
      break;
    default:
      break;
  }
}

void PowerUpBank::erase(Player& p, int strength, StepEvents& events) {
  Board& board = p.board;
  int counts[Colour::Wild + 1] = {};
  for (const auto& row : board.rows)
    for (const Cell& cell : row)
      if (cell.colour >= Colour::White && cell.colour <= Colour::Wild && !cell.is(Cell::Exploding))
        ++counts[cell.colour];
  int best = Colour::Empty, second = Colour::Empty;
  int bestCount = counts[Colour::Wild];
  for (int colour = Colour::White; colour <= Colour::Dud; ++colour)
    if (counts[colour] > 0 && counts[colour] >= bestCount) {
      second = best;
      best = colour;
      bestCount = counts[colour];
    }
  if (strength < 2) second = Colour::Empty;
  for (int colour : {best, second}) {
    if (colour == Colour::Empty) continue;
    int erased = board.eraseColour(colour);
    p.chainPieces += erased;
    charge(p, colour, erased, events);
  }
  p.messageTimer = MessageTime;
  char text[64] = "";
  if (best != Colour::Empty && second != Colour::Empty)
    snprintf(text, sizeof text, "Erased %s\nErased %s!", colourNames[best], colourNames[second]);
  else if (best != Colour::Empty)
    snprintf(text, sizeof text, "Erased %s!", colourNames[best]);
  p.message = text;
}

void PowerUpBank::convert(Player& owner, int count, int perColumn, int target) {
  Board& board = owner.board;
  BoundedList<Cell*, MaxBoardColumns * MaxBoardRows> candidates;
  for (int column = board.width - 1; column >= 0; --column) {
    int taken = 0;
    for (int row = board.topRow(); row >= 0 && taken < perColumn; --row) {
      Cell& cell = board.at(column, row);
      if (!cell.hasColour() || cell.colour == target) continue;
      if (cell.is(Cell::Falling) || cell.is(Cell::Exploding)) continue;
      candidates.push_back(&cell);
      ++taken;
    }
  }
  for (int i = 0; i < count && !candidates.empty(); ++i) {
    int pick = static_cast<int>(static_cast<size_t>(nextRandom(randomState)) %
                                static_cast<size_t>(candidates.size()));
    candidates[pick]->colour = target;
    candidates.erase(pick);
  }
}

void PowerUpBank::fireLaser(Player& owner, StepEvents& events) {
  owner.playSound(events, Sound::Laser);
  owner.lasers.push_back({owner.cursorColumn, owner.board.topRow(), FixedOne});
}
