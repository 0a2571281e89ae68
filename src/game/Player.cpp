#include "Player.h"

#include <algorithm>

#include "Tuning.h"

namespace {
const char* const chainSoundNames[] = {"R0", "R1", "R2", "R3", "R4", "R5", "R6"};
constexpr int ChainSounds = 7;  // the seventh link and later all sound as R6
}  // namespace

const char* soundName(Sound sound, int chainLink) {
  switch (sound) {
    case Sound::Grab:
      return "Grab";
    case Sound::Drop:
      return "Drop";
    case Sound::Slide:
      return "Slide";
    case Sound::Explode:
      return "Explode";
    case Sound::Laser:
      return "Laser";
    case Sound::Chain:
      return chainSoundNames[std::clamp(chainLink, 0, ChainSounds - 1)];
  }
  return "";
}

Player::Player() {
  seat(GameSetup(), 0);
}

void Player::seat(const GameSetup& setup, int newIndex) {
  *this = Player(Blank{});
  index = newIndex;
  gameMode = setup.mode;
  gamePlayers = setup.playerCount;
  board.resize(setup.columnCount, setup.rowCount);
  board.rowSeed = setup.rowSeeds[newIndex];
  bank.randomState = setup.bankSeeds[newIndex];
  reset();
}

void Player::reset() {
  board.clear();
  commands.clear();
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

int Player::scoreMultiplier() const {
  return multiplierTimer > 0 ? multiplierTimer / EffectTime + 2 : 1;
}

int Player::owedRows() const {
  return pendingRows + (board.width > 1 ? bank.incoming / (board.width - 1) : 0);
}

void Player::playSound(StepEvents& events, Sound sound, int chainLink) const {
  events.sounds.push_back({static_cast<int8_t>(index), sound, static_cast<int8_t>(chainLink)});
}

void Player::returnToIdle() {
  flightCount = heldCount = flightPos = flightRow = flightColumn = 0;
  heldColour = Colour::Empty;
  actionState = Idle;
}

int32_t Player::advance(int32_t dt, StepEvents& events) {
  int32_t busy = 0;
  if (board.riseOffset != 0) {
    int32_t before = board.riseOffset / FixedOne;
    board.advanceRise(dt * RiseSpeed);
    if (board.riseOffset / FixedOne != before) playSound(events, Sound::Slide);
  }
  advanceFlight(dt);
  busy += advanceFalling(dt);
  advanceLasers(dt, events);
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

void Player::advanceLasers(int32_t dt, StepEvents& events) {
  for (int i = 0; i < lasers.size();) {
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
      playSound(events, Sound::Explode);
      Cell* target = &cell;
      if (shot.row < board.topRow()) {
        Cell& above = board.at(shot.column, shot.row + 1);
        if (above.hasColour() && !above.is(Cell::Exploding)) target = &above;
      }
      target->startExploding(Colour::Empty);
      target->flags |= Cell::LaserHit;
      gone = true;
      break;
    }
    if (gone)
      lasers.erase(i);
    else
      ++i;
  }
}

int Player::update(int32_t dt, GameState state, StepEvents& events) {
  if (state == Running) processCommands(dt, events);
  int32_t busy = advance(dt, events);
  if (busy == 0) {
    int32_t reacted = react(events);
    if (reacted > 0) {
      chainCount += 1;
      chainPieces += reacted;
      playSound(events, Sound::Chain, chainCount - 1);
    } else {
      closeChain(events);
      if (state == Ending) return 0;
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
