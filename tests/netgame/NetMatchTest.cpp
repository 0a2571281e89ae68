// Whole network matches as the two players meet them: two NetMatches over a simulated link,
// driven millisecond by millisecond, each told what happened in its own words, each keeping a
// replay that plays to the same end as the game on its screen.
#include <gtest/gtest.h>

#include "Meeting.h"
#include "NetSession.h"

namespace {

// What a side keeps: its replay reads back, plays to the game the side shows at the end,
// and agrees with its own digests all the way.
void expectReplayIsTheGameShown(const NetMatch& match) {
  const Replay& replay = match.replay();
  EXPECT_EQ(match.replayParting(), "");
  Replay read;
  std::string error;
  std::istringstream text(replay.text());
  ASSERT_TRUE(read.read(text, error)) << error;
  ReplayRun run = playReplay(read);
  EXPECT_TRUE(run.over);
  EXPECT_TRUE(run.endsAsSaved(read));
  EXPECT_TRUE(run.game == match.game()) << "the screen shows another game than the replay's";
  EXPECT_EQ(endLines(run.game), endLines(match.game()));
  EXPECT_GE(read.digests.size(), 1u);
  EXPECT_EQ(read.seat, match.localSide()) << "a replay shows its own player on the left";
}

// The two sides keep the same game, each as its own.
void expectSameReplays(const NetMatch& host, const NetMatch& guest) {
  Replay asHost = guest.replay();
  asHost.seat = 0;
  EXPECT_EQ(host.replay().text(), asHost.text());
}

}  // namespace

TEST(NetMatch, BothSidesEndAComputerGameAlikeAndKeepTheGameTheyShowed) {
  const LinkConditions links[] = {{0, 0, 0, 0, 0, 1}, {75, 20, 5, 2, 3, 2}};
  for (const LinkConditions& conditions : links) {
    SCOPED_TRACE("latency " + std::to_string(conditions.latencyMs));
    Meeting meeting(conditions, {5, 2});
    ASSERT_TRUE(meeting.runToTheEnd());
    const MatchEvent* ends[2] = {meeting.ending(0), meeting.ending(1)};
    ASSERT_TRUE(ends[0] && ends[1]);
    for (int side = 0; side < 2; ++side) {
      SCOPED_TRACE(side);
      EXPECT_EQ(ends[side]->end, MatchEnd::GameOver);
      EXPECT_EQ(meeting.events[side].front().type, MatchEvent::Type::Started);
      expectReplayIsTheGameShown(*meeting.matches[side]);
      for (const Replay::Stamped& input : meeting.matches[side]->replay().inputs)
        EXPECT_NE(input.input.command, Command::AbortGame) << "the rules' own end was cut off";
    }
    EXPECT_EQ(ends[0]->winner, ends[1]->winner);
    EXPECT_EQ(ends[0]->tick, ends[1]->tick);
    const Game& shown = meeting.matches[0]->game();
    EXPECT_TRUE(shown.players[ends[0]->winner].alive);
    EXPECT_FALSE(shown.players[1 - ends[0]->winner].alive);
    expectSameReplays(*meeting.matches[0], *meeting.matches[1]);
    EXPECT_GT(meeting.matches[0]->replay().frames.size(), 2 * Replay::DigestInterval)
        << "a whole game, not a start";
  }
}

TEST(NetMatch, TheOneWhoLeavesLosesAndTheOtherIsToldTheyWon) {
  for (int leaver = 0; leaver < 2; ++leaver) {
    SCOPED_TRACE("side " + std::to_string(leaver) + " leaves");
    Meeting meeting({40, 10, 3, 1, 1, static_cast<uint32_t>(7 + leaver)});
    ASSERT_TRUE(meeting.runUntil([&] { return meeting.matches[0]->tick() > 600; }));
    meeting.matches[leaver]->leave();
    ASSERT_TRUE(meeting.runToTheEnd(20000));
    const MatchEvent* left = meeting.ending(leaver);
    const MatchEvent* stayed = meeting.ending(1 - leaver);
    ASSERT_TRUE(left && stayed);
    EXPECT_EQ(left->end, MatchEnd::LocalLeft);
    EXPECT_EQ(stayed->end, MatchEnd::RemoteLeft);
    EXPECT_EQ(left->winner, 1 - leaver);
    EXPECT_EQ(stayed->winner, 1 - leaver);
    for (int side = 0; side < 2; ++side) {
      expectReplayIsTheGameShown(*meeting.matches[side]);
      EXPECT_EQ(meeting.matches[side]->replay().leaver, leaver) << "the replay forgot who left";
    }
    expectSameReplays(*meeting.matches[0], *meeting.matches[1]);
  }
}

TEST(NetMatch, AClosedLinkEndsAtOnceAndSilenceEndsAfterTheLimit) {
  {
    Meeting meeting({20, 0, 0, 0, 0, 3});
    ASSERT_TRUE(meeting.runUntil([&] { return meeting.matches[1]->tick() > 300; }));
    meeting.link.end(0).close();
    int64_t closedAt = meeting.now;
    ASSERT_TRUE(meeting.runUntil([&] { return meeting.matches[1]->finished(); }, 1000));
    EXPECT_LT(meeting.now - closedAt, 100) << "a goodbye needs no waiting";
    ASSERT_NE(meeting.ending(1), nullptr);
    EXPECT_EQ(meeting.ending(1)->end, MatchEnd::Gone);
    EXPECT_EQ(meeting.ending(1)->winner, -1);
    expectReplayIsTheGameShown(*meeting.matches[1]);
  }
  {
    Meeting meeting({20, 0, 0, 0, 0, 4});
    ASSERT_TRUE(meeting.runUntil([&] { return meeting.matches[1]->tick() > 300; }));
    meeting.link.setCut(true);
    int64_t cutAt = meeting.now;
    ASSERT_TRUE(meeting.runToTheEnd(2 * NetSession::LostAfterMs));
    for (int side = 0; side < 2; ++side) {
      SCOPED_TRACE(side);
      ASSERT_NE(meeting.ending(side), nullptr);
      EXPECT_EQ(meeting.ending(side)->end, MatchEnd::Lost);
      EXPECT_EQ(meeting.ending(side)->silentMs, NetSession::LostAfterMs);
      bool interrupted = false;
      for (const MatchEvent& event : meeting.events[side])
        interrupted |= event.type == MatchEvent::Type::Interrupted;
      EXPECT_TRUE(interrupted) << "no word of the silence before the end";
      expectReplayIsTheGameShown(*meeting.matches[side]);
    }
    EXPECT_GE(meeting.now - cutAt, NetSession::LostAfterMs);
  }
}

TEST(NetMatch, LeavingBeforeTheStartKeepsNoReplay) {
  Meeting meeting({100, 0, 0, 0, 0, 5});
  meeting.matches[1]->leave();
  ASSERT_TRUE(meeting.runUntil([&] { return meeting.matches[1]->finished(); }, 5000));
  ASSERT_NE(meeting.ending(1), nullptr);
  EXPECT_EQ(meeting.ending(1)->end, MatchEnd::LocalLeft);
  EXPECT_FALSE(meeting.matches[1]->started());
  EXPECT_TRUE(meeting.matches[1]->replay().frames.empty());
}
