// What each player of a network game is shown: their own board on the left, and when one
// leaves, the leaver is told they left and lost, the other that they won by it, on the line
// over the boards and in the results of both boards alike.
#include <gtest/gtest.h>

#include <memory>

#include "MatchView.h"
#include "Meeting.h"
#include "StatusText.h"

namespace {
std::string headline(const Game& game, int board, int leaver) {
  std::vector<TextLine> lines =
      resultLines(game.players[board], GameMode::Versus, 0, 0, outcomeOf(game, board, leaver));
  std::string text = lines.at(0).text;
  if (lines.at(1).text.rfind("Time", 0) != 0) text += " " + lines.at(1).text;
  return text;
}
}  // namespace

TEST(MatchView, EachPlayerSeesTheirOwnBoardOnTheLeftAndIsToldWhoLeft) {
  for (int leaver = 0; leaver < 2; ++leaver) {
    SCOPED_TRACE("side " + std::to_string(leaver) + " leaves");
    Meeting meeting({30, 5, 2, 0, 0, static_cast<uint32_t>(20 + leaver)});
    std::unique_ptr<MatchView> views[2];
    for (int side = 0; side < 2; ++side) {
      views[side] = std::make_unique<MatchView>(*meeting.matches[side]);
      EXPECT_EQ(views[side]->leftPlayer, side) << "someone else's board on the left";
      EXPECT_EQ(views[side]->notice, "Starting...");
    }
    ASSERT_TRUE(meeting.runUntil([&] { return meeting.now == 5000; }));
    meeting.matches[leaver]->leave();
    ASSERT_TRUE(meeting.runToTheEnd(60000));
    const char* told[2] = {"You left the game", "The other player left: you win"};
    for (int side = 0; side < 2; ++side) {
      SCOPED_TRACE(side == leaver ? "the leaver" : "the other");
      for (const MatchEvent& event : meeting.events[side]) views[side]->take(event);
      EXPECT_EQ(views[side]->notice, told[side == leaver ? 0 : 1]);
      EXPECT_EQ(views[side]->leaver, leaver);
      EXPECT_FALSE(views[side]->noWinner) << "a player's leaving decides the game";
      const Game& game = meeting.matches[side]->game();
      EXPECT_EQ(headline(game, leaver, views[side]->leaver), "You lose... You left");
      EXPECT_EQ(headline(game, 1 - leaver, views[side]->leaver), "You win! The other left");
    }
  }
}
