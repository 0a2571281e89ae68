#include "Player.h"

#include <algorithm>
#include <cstdio>

#include "Game.h"
#include "Settings.h"
#include "Tuning.h"

Player::Player() {
  construct();
}

void Player::construct() {
  board.resize(settings.BoardColumns, settings.BoardRows);
  board.clear();
  message.clear();
  messageTimer = slowTimer = dudsAddedTimer = shieldTimer = wildsAddedTimer = 0;
  laserChargedTimer = slowReactionsTimer = lasersTimer = multiplierTimer = 0;
  lasers.clear();
  commands.clear();
  actionState = Idle;
  heldColour = Colour::Empty;
  flightCount = flightColumn = flightRow = flightPos = 0;
  controller = nullptr;
  reset();
}

void Player::reset() {
  board.clear();
  commands.clear();
  controller = nullptr;
  flightCount = heldCount = flightPos = flightRow = flightColumn = 0;
  heldColour = Colour::Empty;
  actionState = Idle;
  cursorColumn = board.width / 2;
  cursorPos = cursorColumn * FixedOne;
  cursorSpeed = CursorSpeed;
  flightSpeed = FlightSpeed;
  score = chainBonus = timeBonus = 0.0;
  chainCount = chainPieces = activity = 0;
  pendingRows = StartPendingRows;
  minGroup = StartMinGroup;
  minGroupHold = false;
  doublerCharges = 0;
  laserCharges = 0;
  elapsed = levelTimer = rowTimer = totalPieces = maxChain = 0;
  std::fill(std::begin(piecesByColour), std::end(piecesByColour), 0);
  alive = true;
  rowInterval = StartRowInterval;
  level = StartLevel;
  levelDuration = LevelDuration;
  finalBonusAdded = false;
}

int Player::playerCount() const {
  return game && game->layout ? game->layout->playerCount : 1;
}

int Player::mode() const {
  return game && game->layout ? game->layout->mode : GameMode::Practice;
}

int Player::scoreMultiplier() const {
  return multiplierTimer > 0 ? multiplierTimer / EffectTime + 2 : 1;
}

void Player::playSound(const std::string& name) {
  if (!game) return;
  std::string effect = name;
  game->bus.post(PlaySound, &effect);
}

void Player::returnToIdle() {
  flightCount = heldCount = flightPos = flightRow = flightColumn = 0;
  heldColour = Colour::Empty;
  actionState = Idle;
}

int32_t Player::advance(int32_t dt) {
  int32_t busy = 0;
  if (board.riseOffset != 0) {
    int32_t before = board.riseOffset / FixedOne;
    board.advanceRise(dt * RiseSpeed);
    if (board.riseOffset / FixedOne != before) playSound("Slide");
  }
  advanceFlight(dt);
  busy += advanceFalling(dt);
  advanceLasers(dt);
  busy += advanceExplosions(dt);
  levelTimer += dt;
  rowTimer += dt;
  elapsed += dt;
  activity |= busy;
  if (busy == 0 && board.riseOffset == 0) deliverRows();
  for (int32_t* timer : {&messageTimer, &slowTimer, &dudsAddedTimer, &shieldTimer, &wildsAddedTimer,
                         &laserChargedTimer, &slowReactionsTimer, &lasersTimer})
    *timer = std::max(0, *timer - dt);
  // The multiplier lingers at 1 so that the chain under way still scores with it.
  if (multiplierTimer > 0) {
    multiplierTimer -= dt;
    if (multiplierTimer <= 0) multiplierTimer = 1;
  }
  return busy;
}

int32_t Player::advanceFalling(int32_t dt) {
  int32_t busy = 0;
  for (int row = 0; row < board.height; ++row)
    for (int column = 0; column < board.width; ++column) {
      Cell& cell = board.at(column, row);
      cell.visit = 0;
      if (!cell.is(Cell::Falling)) continue;
      cell.fall += dt * FallSpeed;
      if (cell.fall < FixedOne) {
        ++busy;
      } else if (board.moveCell(column, row, column, row - 1)) {
        board.at(column, row - 1).fall -= FixedOne;
        ++busy;
      } else {
        cell.fall = 0;
        cell.flags &= ~Cell::Falling;
        // A piece still exploding is looked at when its explosion ends, if anything is left.
        if (!cell.is(Cell::Exploding)) cell.flags |= Cell::Check;
      }
    }
  return busy;
}

int32_t Player::advanceExplosions(int32_t dt) {
  int32_t busy = 0;
  for (int row = 0; row < board.height; ++row)
    for (int column = 0; column < board.width; ++column) {
      Cell& cell = board.at(column, row);
      if (!cell.is(Cell::Exploding)) continue;
      if (cell.is(Cell::LaserHit)) {
        cell.timer += dt * LaserHitExplosionSpeed;
      } else {
        int32_t step = dt * ExplosionSpeed;
        if (slowReactionsTimer > 0) step /= 2;
        cell.timer += step;
      }
      if (cell.timer < FixedOne) {
        ++busy;
        continue;
      }
      cell.timer = 0;
      if (!cell.is(Cell::Falling) && cell.hasColour())
        cell.flags |= Cell::Check;
      else
        cell.flags &= ~Cell::Check;
      cell.flags &= ~Cell::Exploding;
      if (cell.hasColour()) continue;
      cell.makeEmpty();
      if (row + 1 >= board.height || board.at(column, row + 1).is(Cell::Falling)) continue;
      for (int above = row + 1; above < board.height && board.at(column, above).hasColour();
           ++above) {
        Cell& piece = board.at(column, above);
        piece.flags |= Cell::Falling;
        piece.fall = 0;
        ++busy;
        board.moveCell(column, above, column, above - 1);
      }
    }
  return busy;
}

void Player::advanceLasers(int32_t dt) {
  for (size_t i = 0; i < lasers.size();) {
    LaserShot& shot = lasers[i];
    bool gone = false;
    shot.pos -= dt * LaserSpeed;
    fixed_t d = shot.pos - board.riseOffset;
    while (d <= 0) {
      shot.pos += FixedOne;
      d += FixedOne;
      shot.row -= 1;
      if (shot.row < 0 || !board.inside(shot.column, shot.row)) {
        gone = true;
        break;
      }
      Cell& cell = board.at(shot.column, shot.row);
      if (!cell.hasColour() || cell.is(Cell::Exploding)) continue;
      if (cell.is(Cell::Falling) && cell.fall < d) continue;
      playSound("Explode");
      Cell* target = &cell;
      if (shot.row < board.height - 1) {
        Cell& above = board.at(shot.column, shot.row + 1);
        if (above.hasColour() && !above.is(Cell::Exploding)) target = &above;
      }
      target->startExploding(Colour::Empty);
      target->flags |= Cell::LaserHit;
      gone = true;
      break;
    }
    if (gone)
      lasers.erase(lasers.begin() + i);
    else
      ++i;
  }
}

int Player::update(int32_t dt) {
  if (!game || game->state == Running) processCommands(dt);
  int32_t busy = advance(dt);
  if (busy == 0) {
    int32_t reacted = react();
    if (reacted > 0) {
      chainCount += 1;
      chainPieces += reacted;
      char name[8];
      snprintf(name, sizeof name, "R%u", static_cast<unsigned>(std::clamp(chainCount - 1, 0, 6)));
      playSound(name);
    } else {
      closeChain();
      if (game && game->state == Ending) return 0;
      // A refused row ends the player at once; a board that clears later does not bring
      // it back.
      if (alive) alive = isAlive();
      if (!alive) addFinalBonus();
      return alive ? 1 : 0;
    }
  }
  if (actionState == DropDone) returnToIdle();
  if (!alive) addFinalBonus();
  return alive ? 1 : 0;
}
