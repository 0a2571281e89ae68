#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Font.h"
#include "Player.h"
#include "StatusText.h"
#include "TestArt.h"

namespace {

// The texts of a column, top to bottom.
std::vector<std::string> texts(const std::vector<TextLine>& lines) {
  std::vector<std::string> out;
  for (const TextLine& line : lines) out.push_back(line.text);
  return out;
}

using Texts = std::vector<std::string>;

// The status column of a player at the one-player board's corner, with the test fonts.
struct StatusBench {
  TestArt art;
  VideoSession video;
  Font fonts[7];
  StatusBench() {
    for (Font& font : fonts) font.load("Font", "", nullptr);
  }
  std::vector<TextLine> status(const Player& p) { return statusLines(p, 191, 33, fonts); }
};

}  // namespace

TEST(StatusLines, ANewPlayerShowsNothing) {
  StatusBench bench;
  Player player;
  EXPECT_TRUE(bench.status(player).empty());
}

TEST(StatusLines, TheChainLineCountsFromTheSecondReaction) {
  StatusBench bench;
  Player player;
  player.chainCount = 1;
  EXPECT_TRUE(bench.status(player).empty());
  player.chainCount = 3;
  auto lines = bench.status(player);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].text, "2 chain!");
  EXPECT_EQ(lines[0].font, PlainFont);
  EXPECT_EQ(lines[0].x, 191 + 15);
  EXPECT_EQ(lines[0].y, 33 + 30);
}

TEST(StatusLines, EasierReactionsNameHowMuchEasier) {
  StatusBench bench;
  Player player;
  Texts seen;
  for (int minGroup : {4, 3, 2, 1, 0}) {
    player.minGroup = minGroup;
    for (const TextLine& line : bench.status(player)) {
      seen.push_back(line.text);
      EXPECT_EQ(line.font, RedFont);
    }
  }
  EXPECT_EQ(seen, (Texts{"EZ React", "EZ React x2!", "EZ React x2 (2)!", "EZ React x2 (3)!"}));
}

TEST(StatusLines, TheScoreFactorGrowsWithEachFullStretchOfTheMultiplier) {
  StatusBench bench;
  Player player;
  Texts seen;
  for (int timer : {1, 6291, 6292, 12584}) {
    player.multiplierTimer = timer;
    seen.push_back(bench.status(player).at(0).text);
  }
  EXPECT_EQ(seen, (Texts{"2x score!", "2x score!", "3x score!", "4x score!"}));
}

TEST(StatusLines, LasersShowOnlyWhileTheirTimerRunsAndTheWordFollowsTheCount) {
  StatusBench bench;
  Player player;
  player.laserCharges = 12;
  EXPECT_TRUE(bench.status(player).empty());

  player.lasersTimer = 3146;
  auto lines = bench.status(player);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].text, "12 ");
  EXPECT_EQ(lines[0].font, GreenFont);
  EXPECT_EQ(lines[1].text, "Lasers");
  EXPECT_EQ(lines[1].font, LightBlueFont);
  EXPECT_EQ(lines[1].y, lines[0].y);
  // Two 6-wide digits and a blank drawn as the 8-wide glyph 0.
  EXPECT_EQ(lines[1].x, 191 + 15 + 20);
}

TEST(StatusLines, EveryEffectInForceShowsInItsPlaceAndFontRunningOnDownTheScreen) {
  StatusBench bench;
  Player p;
  p.chainCount = 2;
  p.minGroup = 3;
  p.shieldTimer = p.laserChargedTimer = p.lasersTimer = p.slowReactionsTimer = 1;
  p.slowTimer = p.multiplierTimer = p.dudsAddedTimer = p.wildsAddedTimer = p.messageTimer = 1;
  p.laserCharges = 2;
  p.doublerCharges = 1;
  p.message = "Colours erased!";
  auto lines = bench.status(p);
  EXPECT_EQ(texts(lines), (Texts{"1 chain!", "EZ React", "Shield!", "Laser charged!", "2 ",
                                 "Lasers", "Slow reactions!", "Slowwwww...", "2x score!",
                                 "Duds added", "Doubler!", "Wilds Added!", "Colours erased!"}));
  std::vector<int> fonts;
  for (const TextLine& line : lines) fonts.push_back(line.font);
  EXPECT_EQ(fonts, (std::vector<int>{PlainFont, RedFont, LightBlueFont, LightBlueFont, GreenFont,
                                     LightBlueFont, YellowFont, YellowFont, OrangeFont, OrangeFont,
                                     GreenFont, PurpleFont, PlainFont}));
  // Twelve lines 30 apart, past the bottom of the board if need be; the message stands
  // further right.
  EXPECT_EQ(lines.back().y, 33 + 12 * 30);
  EXPECT_EQ(lines.back().x, 191 + 30);
  EXPECT_EQ(lines[2].y, 33 + 90);

  p.doublerCharges = 2;
  EXPECT_EQ(bench.status(p)[10].text, "Piece Doubler (2)!");
}

TEST(ResultLines, AOnePlayerGameStartsWithTheTime) {
  Player p;
  p.elapsed = 125999;
  auto lines = resultLines(p, 0, 191, 33);
  EXPECT_EQ(texts(lines), (Texts{"Time : 2:05 "}));
  EXPECT_EQ(lines[0].x, 191 + 30);
  EXPECT_EQ(lines[0].y, 33 + 30);
  EXPECT_EQ(texts(resultLines(p, 2, 191, 33)), (Texts{"Time : 2:05 "}));
}

TEST(ResultLines, TwoPlayersAreToldWhoWon) {
  Player p;
  p.elapsed = 61000;
  EXPECT_EQ(texts(resultLines(p, 1, 31, 33)), (Texts{"You win!", "Time : 1:01 "}));
  p.alive = false;
  auto lines = resultLines(p, 1, 31, 33);
  EXPECT_EQ(texts(lines), (Texts{"You lose...", "Time : 1:01 "}));
  EXPECT_EQ(lines[0].font, RedFont);
  EXPECT_EQ(lines[1].y, 33 + 60);
}

TEST(ResultLines, BonusesAndStatisticsShowWhenEarnedWithBlueBeforeOrange) {
  Player p;
  p.timeBonus = 10.0;
  p.maxChain = 4;
  p.chainBonus = 2.25;
  p.totalPieces = 31;
  int counts[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  for (int i = 0; i < 9; ++i) p.piecesByColour[i] = counts[i];
  auto lines = resultLines(p, 2, 191, 33);
  EXPECT_EQ(texts(lines),
            (Texts{"Time : 0:00 ", "Time Bonus!!  10.000", "Max Chain : 3", "Chain Bonus!!  2.250",
                   "Reactions : 30", "Whites : 1", "Reds : 2", "Yellows : 3", "Blues : 5",
                   "Oranges : 4", "Purples : 6", "Greens : 7", "Blacks : 8", "Duds : 9"}));
  EXPECT_EQ(lines[1].font, RedFont);
  EXPECT_EQ(lines[2].font, PlainFont);
  EXPECT_EQ(lines[3].font, RedFont);

  // Nothing earned, nothing shown; a chain bonus needs a chain.
  Player q;
  q.chainBonus = 5.0;
  q.timeBonus = 0.0;
  q.piecesByColour[8] = 2;
  EXPECT_EQ(texts(resultLines(q, 0, 191, 33)), (Texts{"Time : 0:00 ", "Duds : 2"}));
}
