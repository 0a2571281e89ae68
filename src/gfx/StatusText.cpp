#include "StatusText.h"

#include <cstdarg>
#include <cstdio>

#include "Colour.h"
#include "Font.h"
#include "Game.h"
#include "Player.h"

namespace {

constexpr int LineSpacing = 30;
constexpr unsigned MsPerSecond = 1000;
constexpr unsigned SecondsPerMinute = 60;
constexpr int StatusIndent = 15;   // from the board's left edge
constexpr int MessageIndent = 15;  // a power-up's message, further in
constexpr int ResultsIndent = 30;

__attribute__((format(printf, 1, 2))) std::string format(const char* pattern, ...) {
  char text[128];
  va_list args;
  va_start(args, pattern);
  std::vsnprintf(text, sizeof text, pattern, args);
  va_end(args);
  return text;
}

// Adds lines one below the other, skipping those whose condition is false.
class Column {
public:
  Column(int x, int y) : x(x), y(y) {}
  void add(bool shown, const std::string& text, int font, int dx = 0) {
    if (!shown) return;
    y += LineSpacing;
    lines.push_back({text, font, x + dx, y});
  }
  // A second piece of text on the line just added.
  void append(const std::string& text, int font, int dx) {
    lines.push_back({text, font, x + dx, y});
  }
  std::vector<TextLine> lines;

private:
  int x, y;
};

std::string ezReact(int minGroup) {
  if (minGroup == 3) return "EZ React";
  if (minGroup == 2) return "EZ React x2!";
  return format("EZ React x2 (%i)!", 3 - minGroup);
}

}  // namespace

ClockTime clockTime(int32_t ms) {
  unsigned whole = static_cast<unsigned>(std::max(ms, 0)) / MsPerSecond;
  return {whole / SecondsPerMinute, whole % SecondsPerMinute};
}

std::vector<TextLine> statusLines(const Player& p, int x0, int y0, const Font* fonts) {
  Column column(x0 + StatusIndent, y0);
  column.add(p.chainCount > 1, format("%d chain!", p.chainCount - 1), PlainFont);
  column.add(p.minGroup < 4, ezReact(p.minGroup), RedFont);
  column.add(p.shieldTimer > 0, "Shield!", LightBlueFont);
  column.add(p.laserChargedTimer > 0, "Laser charged!", LightBlueFont);
  if (p.lasersTimer > 0 && p.laserCharges > 0) {
    std::string count = format("%d ", p.laserCharges);
    column.add(true, count, GreenFont);
    column.append("Lasers", LightBlueFont, fonts[GreenFont].textWidth(count));
  }
  column.add(p.slowReactionsTimer > 0, "Slow reactions!", YellowFont);
  column.add(p.slowTimer > 0, "Slowwwww...", YellowFont);
  column.add(p.multiplierTimer > 0, format("%ux score!", unsigned(p.scoreMultiplier())),
             OrangeFont);
  column.add(p.dudsAddedTimer > 0, "Duds added", OrangeFont);
  column.add(p.doublerCharges != 0,
             p.doublerCharges <= 1 ? std::string("Doubler!")
                                   : format("Piece Doubler (%i)!", p.doublerCharges),
             GreenFont);
  column.add(p.wildsAddedTimer > 0, "Wilds Added!", PurpleFont);
  column.add(p.messageTimer > 0, p.message.str(), PlainFont, MessageIndent);
  return column.lines;
}

Outcome outcomeOf(const Game& game, int player, int leaver, bool noWinner) {
  if (noWinner) return Outcome::NoWinner;
  if (leaver >= 0) return player == leaver ? Outcome::LostByLeaving : Outcome::WonAsTheOtherLeft;
  if (!game.players[0].alive && !game.players[1].alive) return Outcome::Draw;
  return game.players[player].alive ? Outcome::Won : Outcome::Lost;
}

std::string scoreText(double score) {
  return format("%.03f", score);
}

std::string resultsInWords(const Game& game, int leaver) {
  std::string words;
  for (int i = 0; i < game.playerCount(); ++i) {
    words += "player " + std::to_string(i) + ": " + scoreText(game.players[i].score);
    Outcome outcome = game.playerCount() == 2 ? outcomeOf(game, i, leaver) : Outcome::Won;
    for (const TextLine& line : resultLines(game.players[i], game.mode(), 0, 0, outcome))
      words += " | " + line.text;
    words += "\n";
  }
  return words;
}

std::vector<TextLine> resultLines(const Player& p, int mode, int x0, int y0, Outcome outcome) {
  Column column(x0 + ResultsIndent, y0);
  if (mode == GameMode::Versus) {
    bool won = outcome == Outcome::Won || outcome == Outcome::WonAsTheOtherLeft;
    const char* headline = won ? "You win!" : "You lose...";
    if (outcome == Outcome::Draw) headline = "A draw!";
    if (outcome == Outcome::NoWinner) headline = "No winner";
    column.add(true, headline, RedFont);
    column.add(outcome == Outcome::WonAsTheOtherLeft, "The other left", PlainFont);
    column.add(outcome == Outcome::LostByLeaving, "You left", PlainFont);
  }
  ClockTime time = clockTime(p.elapsed);
  column.add(true, format("Time : %u:%02u ", time.minutes, time.seconds), PlainFont);
  column.add(p.timeBonus > 0.0, format("Time Bonus!!  %.3f", p.timeBonus), RedFont);
  column.add(p.maxChain > 0, format("Max Chain : %u", unsigned(p.maxChain - 1)), PlainFont);
  column.add(p.maxChain > 0 && p.chainBonus > 0.0, format("Chain Bonus!!  %.3f", p.chainBonus),
             RedFont);
  column.add(p.totalPieces > 0, format("Reactions : %u", unsigned(p.totalPieces - 1)), PlainFont);
  // Blue before orange, as players have always seen it.
  static const struct {
    int colour;
    const char* pattern;
  } counts[] = {{Colour::White, "Whites : %u"},   {Colour::Red, "Reds : %u"},
                {Colour::Yellow, "Yellows : %u"}, {Colour::Blue, "Blues : %u"},
                {Colour::Orange, "Oranges : %u"}, {Colour::Purple, "Purples : %u"},
                {Colour::Green, "Greens : %u"},   {Colour::Black, "Blacks : %u"},
                {Colour::Dud, "Duds : %u"}};
  for (const auto& count : counts) {
    int n = p.piecesByColour[count.colour];
    column.add(n > 0, format(count.pattern, unsigned(n)), PlainFont);
  }
  return column.lines;
}
