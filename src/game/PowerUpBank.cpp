#include "PowerUpBank.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "Colour.h"
#include "MessageBus.h"
#include "NextRandom.h"
#include "Player.h"
#include "PlayerController.h"
#include "PowerUpMessage.h"
#include "Tuning.h"

namespace {
const char* const colourNames[] = {"White",  "Red",   "Yellow", "Orange", "Blue",
                                   "Purple", "Green", "Black",  "Duds"};
}

PowerUpBank::PowerUpBank() {
  srand(static_cast<unsigned>(time(nullptr)));
  randomState = static_cast<uint32_t>(rand());
}

int PowerUpBank::playerCount() const {
  return player ? player->playerCount() : 1;
}

int PowerUpBank::playerIndex() const {
  return player && player->controller ? player->controller->index : 0;
}

void PowerUpBank::send(int id, int kind, int amount) {
  if (!bus) return;
  PowerUpMessage message{kind, amount, playerIndex()};
  bus->post(id, &message);
}

void PowerUpBank::charge(int colour, int count) {
  int total = count;
  for (auto it = charges.begin(); it != charges.end(); ++it)
    if (it->colour == colour) {
      total += it->count;
      charges.erase(it);
      break;
    }
  if (total >= PiecesPerPowerUp) {
    // The power-up's own drop of minGroup must not be undone when this very chain closes.
    if (colour == Colour::Red && playerCount() == 1 && player && player->minGroup >= StartMinGroup)
      player->minGroupHold = true;
    activate(colour, total);
    if (total % PiecesPerPowerUp != 0) charges.push_back({colour, total % PiecesPerPowerUp});
  } else {
    charges.push_back({colour, total});
  }
  if (count != 0) send(SendDuds, Colour::Black, count);
}

void PowerUpBank::endOfChain() {
  int sum = 0;
  while (!charges.empty()) {
    Charge left = charges.front();
    charges.pop_front();
    if (left.count >= PiecesPerPowerUp) activate(left.colour, left.count);
    sum += left.count;
  }
  send(SendPowerUp, Colour::Black, sum);
}

void PowerUpBank::activate(int kind, int amount) {
  switch (kind) {
    case Colour::White:
    case Colour::Purple:
    case Colour::Green:
      apply(kind, amount, false);
      break;
    case Colour::Red:
    case Colour::Yellow:
    case Colour::Blue:
      if (playerCount() > 1)
        stored.push_back({kind, amount});
      else
        apply(kind, amount, false);
      break;
    case Colour::Orange:
      if (playerCount() == 1)
        apply(kind, amount, false);
      else
        send(SendPowerUp, kind, amount);
      break;
    default:
      break;
  }
}

void PowerUpBank::usePowerUp() {
  if (stored.empty()) return;
  Stored next = stored.back();
  stored.pop_back();
  if (next.kind == Colour::Red || next.kind == Colour::Blue)
    apply(next.kind, next.amount, false);
  else if (next.kind == Colour::Yellow)
    send(SendPowerUp, next.kind, next.amount);
}

void PowerUpBank::handle(int id, void* data, MessageBus*) {
  if ((id != SendPowerUp && id != SendDuds) || !data || !player) return;
  const PowerUpMessage* message = static_cast<const PowerUpMessage*>(data);
  if (player->shieldTimer > 0 || message->sender == playerIndex()) return;
  apply(message->kind, message->amount, id == SendDuds);
}

void PowerUpBank::apply(int kind, int amount, bool incomingPieces) {
  if (!player) return;
  if (incomingPieces && kind != Colour::Black) return;
  Player& p = *player;
  Board& board = p.board;
  int strength = amount / PiecesPerPowerUp;
  bool alone = playerCount() == 1;
  switch (kind) {
    case Colour::White:
      erase(strength);
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
        convert(strength * 4, 5, Colour::Dud);
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
      convert(strength * 3, 4, Colour::Wild);
      p.wildsAddedTimer = MessageTime;
      break;
    case Colour::Green:
      p.doublerCharges += strength;
      break;
    case Colour::Black:
      if (board.width < 2) break;
      if (incomingPieces) {
        incoming = std::min(incoming + amount, (board.height - 4) * (board.width - 1));
      } else {
        p.pendingRows += incoming / (board.width - 1);
        incoming = 0;
      }
      break;
    default:
      break;
  }
}

void PowerUpBank::erase(int strength) {
  Player& p = *player;
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
    charge(colour, erased);
  }
  p.messageTimer = MessageTime;
  char text[64] = "";
  if (best != Colour::Empty && second != Colour::Empty)
    snprintf(text, sizeof text, "Erased %s\nErased %s!", colourNames[best], colourNames[second]);
  else if (best != Colour::Empty)
    snprintf(text, sizeof text, "Erased %s!", colourNames[best]);
  p.message = text;
}

void PowerUpBank::convert(int count, int perColumn, int target) {
  Board& board = player->board;
  std::vector<Cell*> candidates;
  for (int column = board.width - 1; column >= 0; --column) {
    int taken = 0;
    for (int row = board.height - 1; row >= 0 && taken < perColumn; --row) {
      Cell& cell = board.at(column, row);
      if (!cell.hasColour() || cell.colour == target) continue;
      if (cell.is(Cell::Falling) || cell.is(Cell::Exploding)) continue;
      candidates.push_back(&cell);
      ++taken;
    }
  }
  for (int i = 0; i < count && !candidates.empty(); ++i) {
    size_t pick = static_cast<size_t>(nextRandom(randomState)) % candidates.size();
    candidates[pick]->colour = target;
    candidates.erase(candidates.begin() + pick);
  }
}

void PowerUpBank::fireLaser() {
  if (!player) return;
  player->playSound("Laser");
  player->lasers.push_back({player->cursorColumn, player->board.height - 1, FixedOne});
}
