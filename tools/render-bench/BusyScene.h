#pragma once

class Game;

// Fills both boards of a two-player game with what a hectic moment shows at once:
// stacks of every colour, pieces exploding, mixing, falling and in flight, a laser, a
// rising row, stored power-ups and a full status column. `step` moves every animation
// on, so that successive frames go through all their images and fades.
void makeBusyScene(Game& game, int step);

// Ends the game with both boards full to the top, one player out and one standing, and
// every line of the results in use: the hardest place for the results text to be read.
void makeResultsScene(Game& game);
