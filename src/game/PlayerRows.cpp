// Rows, levels and the end of a game: the row supply, Survival's levels, the top-out test
// and the bonuses added when a player goes out.
#include <algorithm>

#include "Player.h"
#include "Tuning.h"

void Player::deliverRows() {
  if (pendingRows != 0 && shieldTimer <= 0) {
    if (!board.pushRow()) alive = false;
    pendingRows -= 1;
    rowTimer = 0;
    return;
  }
  if (rowTimer > rowInterval) {
    board.pushRow();  // a refused row is left to the top-out test
    rowTimer -= rowInterval;
  }
  if (mode() == GameMode::Survival && levelTimer > levelDuration &&
      rowInterval > FastestRowInterval) {
    level += 1;
    rowInterval = std::max(FastestRowInterval, static_cast<int32_t>(RowIntervalPerLevel / level));
    levelTimer -= levelDuration;
  }
}

bool Player::isAlive() {
  if (actionState == DropDone) returnToIdle();
  if (board.riseOffset == 0 && board.topRowOccupied()) {
    addFinalBonus();
    return false;
  }
  return true;
}

void Player::addFinalBonus() {
  if (finalBonusAdded) return;
  finalBonusAdded = true;
  if (mode() == GameMode::Survival) {
    static const double chainBonuses[] = {0, 0, 0, 10.0, 20.0, 30.0, 50.0, 80.0, 120.0, 170.0};
    chainBonus = maxChain >= 10 ? 250.0 : chainBonuses[std::max(0, maxChain)];
    static const struct {
      int32_t above;
      double bonus;
    } timeBonuses[] = {{300000, 250.0}, {290000, 220.0}, {280000, 190.0}, {270000, 160.0},
                       {260000, 120.0}, {240000, 90.0},  {210000, 60.0},  {180000, 35.0},
                       {150000, 20.0},  {120000, 10.0}};
    for (const auto& step : timeBonuses)
      if (elapsed > step.above) {
        timeBonus = step.bonus;
        break;
      }
  }
  score += timeBonus + chainBonus;
}
