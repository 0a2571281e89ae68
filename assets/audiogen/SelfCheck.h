#pragma once

// Checks the effects and music against what the game and the player rely on; prints
// each failure and returns how many there were.
int selfCheck();
