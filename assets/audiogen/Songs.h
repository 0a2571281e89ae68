#pragma once

#include "Composer.h"

// The game's three pieces: a lively one for one player, a livelier one for two, and a
// calm one under the menus.
SongPlan ingameOne();
SongPlan ingameTwo();
SongPlan menuSong();
