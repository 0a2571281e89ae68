#pragma once

#include <cstdint>
#include <string>
#include <vector>

class Font;
class Game;
class Player;

// The text column over a board: status lines while the player plays, results once the
// player is out or the game is over. Worked out as a list first, so what shows where
// does not depend on drawing it.

// Entries of Display::fonts.
enum TextFont {
  PlainFont = 0,
  RedFont,
  YellowFont,
  OrangeFont,
  LightBlueFont,
  PurpleFont,
  GreenFont
};

struct TextLine {
  std::string text;
  int font;  // a TextFont
  int x;
  int y;
};

// The column starts 30 pixels below the board's corner (x0, y0); every line shown moves
// the next one 30 pixels down. fonts are the display's seven, for the width of the
// laser count that "Lasers" follows.
// A time of play as the clock and the results show it: minutes and seconds.
struct ClockTime {
  unsigned minutes;
  unsigned seconds;
};
ClockTime clockTime(int32_t ms);

std::vector<TextLine> statusLines(const Player& player, int x0, int y0, const Font* fonts);

// How a two-player game ended for one board's player, as the results headline it.
enum class Outcome { Won, Lost, Draw, WonAsTheOtherLeft, LostByLeaving, NoWinner };
// The outcome for `player` of a finished two-player game that `leaver` left (-1: nobody
// did): the one still standing wins; two boards out on one pass make a draw. A game that
// ended without its rules or a player deciding it (a network game's connection lost) has
// `noWinner`.
Outcome outcomeOf(const Game& game, int player, int leaver, bool noWinner = false);

std::vector<TextLine> resultLines(const Player& player, int mode, int x0, int y0, Outcome outcome);
// A score as the score box shows it.
std::string scoreText(double score);
// A finished game's results in words, a line per player: the score, then what the results
// panel shows, " | " between them (what --check-replay prints).
std::string resultsInWords(const Game& game, int leaver);
