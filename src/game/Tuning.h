#pragma once

#include <cstdint>

// The numbers the rules run on. Speeds are 16.16 fixed-point units per millisecond (1.0 =
// 65536), times are milliseconds. Changing any of them changes play: the recorded games
// in the tests will say by how much.

// Motion.
constexpr int32_t CursorSpeed = 500;       // the cursor sliding to its column
constexpr int32_t FlightSpeed = 4000;      // grabbed and dropped pieces
constexpr int32_t FallSpeed = 4000;        // a piece falling into a gap
constexpr int32_t RiseSpeed = 600;         // a new row sliding in
constexpr int32_t LaserSpeed = 8000;       // a laser shot climbing its column
constexpr double SlowCursorDivisor = 2.5;  // the cursor under the opponent's slow-down
constexpr double SlowFlightDivisor = 3.0;  // flights under the opponent's slow-down

// Reactions.
constexpr int32_t ExplosionSpeed = 65;           // about 1008 ms per explosion or mix
constexpr int32_t LaserHitExplosionSpeed = 130;  // a piece hit by a laser goes twice as fast
constexpr int32_t StartMinGroup = 4;             // pieces that make a group without EZ React
constexpr int32_t SmallestMinGroup = 2;          // EZ React never goes below pairs

// Power-ups.
constexpr int PiecesPerPowerUp = 5;              // charge that makes one unit of strength
constexpr int32_t MessageTime = 3146;            // one status message
constexpr int32_t EffectTime = 2 * MessageTime;  // one unit of a power-up's duration
constexpr int DudsPerStrength = 4;   // an opponent's orange: pieces turned to duds per unit
constexpr int DudColumnDepth = 5;    // ... taken from this many pieces down each column
constexpr int WildsPerStrength = 3;  // purple: own pieces turned wild per unit
constexpr int WildColumnDepth = 4;   // ... taken from this many pieces down each column
constexpr int MeterFreeRows = 4;     // the incoming meter never fills the board beyond this

// Rows and levels.
constexpr int32_t StartPendingRows = 4;          // rows pushed in at the start of a game
constexpr int32_t StartRowInterval = 8192;       // a new row this often, all game outside Survival
constexpr int32_t FastestRowInterval = 768;      // Survival's levels stop speeding up here
constexpr double RowIntervalPerLevel = 40960.0;  // Survival: row interval = this / level
constexpr int32_t StartLevel = 5;                // shown as level 1
constexpr int32_t LevelDuration = 20000;         // Survival: one level

// The game clock: a frame longer than this (a suspended machine) counts as this long.
constexpr uint32_t LongestFrame = 60000;
