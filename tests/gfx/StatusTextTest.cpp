#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Font.h"
#include "Game.h"
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

TEST(StatusLines, OnlyEffectsInForceShowEachInItsOrderAndPlace) {
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
  EXPECT_TRUE(lines[1].font == RedFont && lines[4].font == GreenFont &&
              lines[11].font == PurpleFont);
  EXPECT_TRUE(lines[0].x == 191 + 15 && lines[0].y == 33 + 30);
  // "Lasers" follows "12 " on its line: two 6-wide digits and a blank as 8-wide glyph 0.
  EXPECT_TRUE(lines[5].x == 191 + 15 + 20 && lines[5].y == lines[4].y);
  // Twelve lines 30 apart, past the board's bottom if need be; the message further in.
  EXPECT_TRUE(lines.back().y == 33 + 12 * 30 && lines.back().x == 191 + 30);
}

TEST(StatusLines, CountedEffectsNameTheirStrength) {
  Column column;
  const struct {
    int32_t Player::*field;
    int value;
    const char* text;
  } cases[] = {{&Player::minGroup, 2, "EZ React x2!"},
               {&Player::minGroup, 1, "EZ React x2 (2)!"},
               {&Player::minGroup, 0, "EZ React x2 (3)!"},
               {&Player::multiplierTimer, 6291, "2x score!"},
               {&Player::multiplierTimer, 6292, "3x score!"},
               {&Player::multiplierTimer, 12584, "4x score!"},
               {&Player::doublerCharges, 2, "Piece Doubler (2)!"}};
  for (const auto& c : cases) {
    Player q;
    q.*c.field = c.value;
    EXPECT_EQ(column.status(q).at(0).text, c.text);
  }
}

TEST(ResultLines, BonusesAndStatisticsShowWhenEarnedBlueBeforeOrange) {
  Player q;
  q.timeBonus = 10.0;
  q.maxChain = 4;
  q.chainBonus = 2.25;
  q.totalPieces = 31;
  for (int i = 0; i < 9; ++i) q.piecesByColour[i] = i + 1;
  EXPECT_EQ(texts(resultLines(q, 0, 191, 33, Outcome::Won)),
            (Texts{"Time : 0:00 ", "Time Bonus!!  10.000", "Max Chain : 3", "Chain Bonus!!  2.250",
                   "Reactions : 30", "Whites : 1", "Reds : 2", "Yellows : 3", "Blues : 5",
                   "Oranges : 4", "Purples : 6", "Greens : 7", "Blacks : 8", "Duds : 9"}));
  Player r;  // a chain bonus needs a chain; a zero bonus is no bonus
  r.chainBonus = 5.0;
  r.piecesByColour[8] = 2;
  EXPECT_EQ(texts(resultLines(r, 0, 191, 33, Outcome::Lost)), (Texts{"Time : 0:00 ", "Duds : 2"}));
}

TEST(ResultLines, EachVersusBoardIsToldItsOwnEndDrawsAndLeavingIncluded) {
  const struct {
    const char* what;
    bool alive[2];
    int leaver;
    const char* headlines[2];  // board 0's first lines, board 1's
  } cases[] = {
      {"player 1 topped out", {true, false}, -1, {"You win!", "You lose..."}},
      {"player 0 topped out", {false, true}, -1, {"You lose...", "You win!"}},
      {"both out on one pass", {false, false}, -1, {"A draw!", "A draw!"}},
      {"player 0 left", {true, true}, 0, {"You lose... You left", "You win! The other left"}},
      {"player 1 left", {true, true}, 1, {"You win! The other left", "You lose... You left"}},
      {"player 1 left as player 0 topped out",
       {false, true},
       1,
       {"You win! The other left", "You lose... You left"}},
      {"the connection was lost", {true, true}, -1, {"No winner", "No winner"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Game game(GameSetup(GameMode::Versus));
    for (int i = 0; i < 2; ++i) {
      game.players[i].alive = c.alive[i];
      game.players[i].totalPieces = 0;
    }
    for (int i = 0; i < 2; ++i) {
      Texts lines = texts(resultLines(game.players[i], GameMode::Versus, 0, 0,
                                      outcomeOf(game, i, c.leaver, c.headlines[0][0] == 'N')));
      std::string headline = lines.at(0);
      if (lines.at(1).rfind("Time", 0) != 0) headline += " " + lines.at(1);
      EXPECT_EQ(headline, c.headlines[i]) << "board " << i;
    }
  }
}
