#pragma once

#include <cstdint>

// One step of a generator whose whole state is one number: the classic C library generator
// (Debian's) is restarted from the state and its first output becomes the next state. Each
// board's rows and each bank's picks keep their own state, so neither disturbs the other.
// The generator is our own copy rather than the C library's, whose rand() differs between
// libraries: a replay must play the same wherever the game runs, on a desktop or in a web page.
int nextRandom(uint32_t& state);

// The classic generator's first output when started from `state`: what srand(state) and
// then rand() give with Debian's C library.
int firstClassicRandom(uint32_t state);
