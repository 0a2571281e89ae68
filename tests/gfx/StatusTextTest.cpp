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

TEST(StatusLines, OnlyEffectsInForceShowEachInItsOrderFontAndPlace) {
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
}

TEST(StatusLines, CountedEffectsNameTheirStrength) {
  Column column;
  Player p;
  Texts seen;
  for (int minGroup : {2, 1, 0}) {
    p.minGroup = minGroup;
    seen.push_back(column.status(p).at(0).text);
  }
  p.minGroup = 4;
  for (int timer : {6291, 6292, 12584}) {
    p.multiplierTimer = timer;
    seen.push_back(column.status(p).at(0).text);
  }
  p.multiplierTimer = 0;
  p.doublerCharges = 2;
  seen.push_back(column.status(p).at(0).text);
  EXPECT_EQ(seen, (Texts{"EZ React x2!", "EZ React x2 (2)!", "EZ React x2 (3)!", "2x score!",
                         "3x score!", "4x score!", "Piece Doubler (2)!"}));
}

TEST(ResultLines, OnePlayerStartsWithTheTimeTwoPlayersWithWhoWon) {
  Player p;
  p.elapsed = 125999;
  auto lines = resultLines(p, 2, 191, 33);
  EXPECT_EQ(texts(lines), (Texts{"Time : 2:05 "}));
  EXPECT_EQ(lines[0].x, 191 + 30);
  EXPECT_EQ(texts(resultLines(p, 1, 31, 33)), (Texts{"You win!", "Time : 2:05 "}));
  p.alive = false;
  EXPECT_EQ(resultLines(p, 1, 31, 33)[0].text, "You lose...");
}

TEST(ResultLines, BonusesAndStatisticsShowWhenEarnedWithBlueBeforeOrange) {
  Player p;
  p.timeBonus = 10.0;
  p.maxChain = 4;
  p.chainBonus = 2.25;
  p.totalPieces = 31;
  for (int i = 0; i < 9; ++i) p.piecesByColour[i] = i + 1;
  EXPECT_EQ(texts(resultLines(p, 0, 191, 33)),
            (Texts{"Time : 0:00 ", "Time Bonus!!  10.000", "Max Chain : 3", "Chain Bonus!!  2.250",
                   "Reactions : 30", "Whites : 1", "Reds : 2", "Yellows : 3", "Blues : 5",
                   "Oranges : 4", "Purples : 6", "Greens : 7", "Blacks : 8", "Duds : 9"}));
  Player q;  // a chain bonus needs a chain; a zero bonus is no bonus
  q.chainBonus = 5.0;
  q.piecesByColour[8] = 2;
  EXPECT_EQ(texts(resultLines(q, 0, 191, 33)), (Texts{"Time : 0:00 ", "Duds : 2"}));
}
