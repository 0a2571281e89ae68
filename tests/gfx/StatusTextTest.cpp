#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Font.h"
#include "Player.h"
#include "StatusText.h"
#include "TestArt.h"

namespace {

using Texts = std::vector<std::string>;

Texts texts(const std::vector<TextLine>& lines) {
  Texts out;
  for (const TextLine& line : lines) out.push_back(line.text);
  return out;
}

struct Column {
  TestArt art;
  VideoSession video;
  Font fonts[7];
  Column() {
    for (Font& font : fonts) font.load("Font", "", nullptr);
  }
  std::vector<TextLine> status(const Player& p) { return statusLines(p, 191, 33, fonts); }
};

}  // namespace

TEST(StatusLines, OnlyEffectsInForceShowEachInItsOrderFontAndPlaceCountedOnesWithTheirStrength) {
  Column column;
  Player p;
  p.chainCount = 1;     // a single reaction is no chain yet
  p.laserCharges = 12;  // charges without their timer show nothing
  EXPECT_TRUE(column.status(p).empty());

  p.chainCount = 3;
  p.minGroup = 3;
  p.shieldTimer = p.laserChargedTimer = p.lasersTimer = p.slowReactionsTimer = 1;
  p.slowTimer = p.multiplierTimer = p.dudsAddedTimer = p.wildsAddedTimer = p.messageTimer = 1;
  p.doublerCharges = 1;
  p.message = "Colours erased!";
  auto lines = column.status(p);
  EXPECT_EQ(texts(lines), (Texts{"2 chain!", "EZ React", "Shield!", "Laser charged!", "12 ",
                                 "Lasers", "Slow reactions!", "Slowwwww...", "2x score!",
                                 "Duds added", "Doubler!", "Wilds Added!", "Colours erased!"}));
  std::vector<int> fonts;
  for (const TextLine& line : lines) fonts.push_back(line.font);
  EXPECT_EQ(fonts, (std::vector<int>{PlainFont, RedFont, LightBlueFont, LightBlueFont, GreenFont,
                                     LightBlueFont, YellowFont, YellowFont, OrangeFont, OrangeFont,
                                     GreenFont, PurpleFont, PlainFont}));
  EXPECT_EQ(lines[0].x, 191 + 15);
  EXPECT_EQ(lines[0].y, 33 + 30);
  // "Lasers" follows "12 " on its line: two 6-wide digits and a blank as 8-wide glyph 0.
  EXPECT_EQ(lines[5].x, 191 + 15 + 20);
  EXPECT_EQ(lines[5].y, lines[4].y);
  // Twelve lines 30 apart, past the board's bottom if need be; the message further in.
  EXPECT_EQ(lines.back().y, 33 + 12 * 30);
  EXPECT_EQ(lines.back().x, 191 + 30);

  // Counted effects name their strength.
  Player q;
  Texts seen;
  auto first = [&] { seen.push_back(column.status(q).at(0).text); };
  for (int minGroup : {2, 1, 0}) q.minGroup = minGroup, first();
  q.minGroup = 4;
  for (int timer : {6291, 6292, 12584}) q.multiplierTimer = timer, first();
  q.multiplierTimer = 0;
  q.doublerCharges = 2;
  first();
  EXPECT_EQ(seen, (Texts{"EZ React x2!", "EZ React x2 (2)!", "EZ React x2 (3)!", "2x score!",
                         "3x score!", "4x score!", "Piece Doubler (2)!"}));
}

TEST(ResultLines, TimeOrWhoWonFirstThenBonusesAndStatisticsWhenEarnedBlueBeforeOrange) {
  Player p;
  p.elapsed = 125999;
  auto lines = resultLines(p, 2, 191, 33);
  EXPECT_EQ(texts(lines), (Texts{"Time : 2:05 "}));
  EXPECT_EQ(lines[0].x, 191 + 30);
  EXPECT_EQ(texts(resultLines(p, 1, 31, 33)), (Texts{"You win!", "Time : 2:05 "}));
  p.alive = false;
  EXPECT_EQ(resultLines(p, 1, 31, 33)[0].text, "You lose...");

  Player q;
  q.timeBonus = 10.0;
  q.maxChain = 4;
  q.chainBonus = 2.25;
  q.totalPieces = 31;
  for (int i = 0; i < 9; ++i) q.piecesByColour[i] = i + 1;
  EXPECT_EQ(texts(resultLines(q, 0, 191, 33)),
            (Texts{"Time : 0:00 ", "Time Bonus!!  10.000", "Max Chain : 3", "Chain Bonus!!  2.250",
                   "Reactions : 30", "Whites : 1", "Reds : 2", "Yellows : 3", "Blues : 5",
                   "Oranges : 4", "Purples : 6", "Greens : 7", "Blacks : 8", "Duds : 9"}));
  Player r;  // a chain bonus needs a chain; a zero bonus is no bonus
  r.chainBonus = 5.0;
  r.piecesByColour[8] = 2;
  EXPECT_EQ(texts(resultLines(r, 0, 191, 33)), (Texts{"Time : 0:00 ", "Duds : 2"}));
}
