// Replays as players keep them: a game saved as it is played reads back and plays to the
// same end; a damaged or foreign file is refused with its line or its rules version; the
// folder keeps the newest games only, and a folder that cannot take one says why.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "Child.h"
#include "HeadlessGame.h"
#include "Replay.h"
#include "ReplayShelf.h"
#include "TempDir.h"

namespace {
// A short Versus game between the automatic players, kept as it was played.
Replay playedGame(uint32_t start = 77, uint32_t limitMs = 40000) {
  HeadlessGame headless(1, start, {16, 17, 16, 33}, limitMs);
  Replay replay;
  replay.setup = headless.game.setup;
  replay.program = "9.9";
  headless.loop.onPass = [&](int32_t dt, const PassInput& input) {
    replay.record(dt, input, headless.game);
  };
  headless.play();
  replay.finish(headless.game);
  return replay;
}

bool readText(const std::string& text, Replay& replay, std::string& error) {
  std::istringstream in(text);
  return replay.read(in, error);
}

std::string withLine(std::string text, const std::string& from, const std::string& to) {
  size_t at = text.find(from);
  if (at == std::string::npos) ADD_FAILURE() << "no '" << from << "' to change";
  return at == std::string::npos ? "" : text.replace(at, from.size(), to);
}

std::vector<std::filesystem::path> filesIn(const std::string& folder) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) files.push_back(entry);
  return files;
}

}  // namespace

TEST(Replays, AGameSavedAsPlayedReadsBackAndEndsTheSame) {
  Replay saved = playedGame();
  std::string stored;
  for (const std::string& line : saved.endLines) stored += line;
  ASSERT_NE(stored.find("player 1:"), std::string::npos);
  Replay read;
  std::string error;
  ASSERT_TRUE(readText(saved.text(), read, error)) << error;
  EXPECT_EQ(read.frames, saved.frames);
  EXPECT_EQ(read.inputs.size(), saved.inputs.size());
  EXPECT_EQ(read.text(), saved.text());
  EXPECT_GE(read.digests.size(), 2u);
  ReplayRun run = playReplay(read);
  EXPECT_TRUE(run.over);
  EXPECT_TRUE(run.endsAsSaved(read));
  EXPECT_EQ(endLines(run.game), stored);
  EXPECT_LT(saved.text().size(), 20000u) << "a short game makes a small file";
  // A network guest's replay, one that a player left: whose it is and who left come back.
  saved.seat = 1;
  saved.leaver = 0;
  ASSERT_TRUE(readText(saved.text(), read, error)) << error;
  EXPECT_EQ(read.seat, 1);
  EXPECT_EQ(read.leaver, 0);
}

TEST(Replays, AChangedInputIsCaughtAtTheNextDigestNamingTheLastThatAgreed) {
  Replay saved = playedGame(77, 120000);
  ASSERT_GT(saved.frames.size(), 3 * Replay::DigestInterval);
  for (size_t which : {saved.inputs.size() / 3, saved.inputs.size() / 2}) {
    Replay changed = saved;
    uint32_t pass = changed.inputs[which].pass;
    SCOPED_TRACE("input changed at pass " + std::to_string(pass));
    changed.inputs.erase(changed.inputs.begin() + static_cast<long>(which));
    ReplayRun run = playReplay(changed);
    EXPECT_FALSE(run.endsAsSaved(changed));
    ASSERT_NE(run.partedAt, 0u) << "the change went unnoticed";
    EXPECT_GE(run.partedAt, pass);
    EXPECT_LT(run.partedAt, pass + Replay::DigestInterval);
    EXPECT_EQ(run.game.passes, run.partedAt) << "play stops where it parts";
    uint32_t agreed = (pass - 1) / Replay::DigestInterval * Replay::DigestInterval;
    EXPECT_EQ(run.lastAgreed, agreed);
    EXPECT_EQ(run.parting, "parts from the game at pass " + std::to_string(run.partedAt) +
                               " (last agreed at pass " + std::to_string(agreed) + ")");
  }
}

TEST(Replays, DigestsSurviveTheFileAndACut) {
  Replay saved = playedGame(78, 120000);
  Replay read;
  std::string error;
  ASSERT_TRUE(readText(saved.text(), read, error)) << error;
  ASSERT_EQ(read.digests.size(), saved.digests.size());
  for (size_t i = 0; i < read.digests.size(); ++i) {
    EXPECT_EQ(read.digests[i].pass, saved.digests[i].pass);
    EXPECT_EQ(read.digests[i].digest, saved.digests[i].digest);
  }
  EXPECT_EQ(read.digests.back().pass, read.frames.size()) << "the end has its digest";
  // A cut game is sealed again where it was cut, and still checks.
  read.cutAt(Replay::DigestInterval * 2 + 7);
  read.sealEnd();
  ASSERT_TRUE(readText(read.text(), saved, error)) << error;
  EXPECT_TRUE(playReplay(saved).endsAsSaved(saved));
  EXPECT_EQ(saved.digests.back().pass, Replay::DigestInterval * 2 + 7);
}

// A replay of made-up frame lengths and nothing else, through its file and back.
std::vector<int32_t> framesThroughTheFile(const std::vector<int32_t>& frames, std::string& error) {
  Replay replay;
  replay.setup = GameSetup(GameMode::Practice);
  replay.frames = frames;
  replay.endLines = {"player 0: kept\n"};
  Replay read;
  if (!readText(replay.text(), read, error)) return {};
  return read.frames;
}

TEST(Replays, EveryPatternOfFrameLengthsComesBackPassForPass) {
  // Runs and repeated groups of one to four lengths, each met one to five times in a row:
  // every shape the compact writing looks for, and the shapes just beside them.
  std::mt19937 patterns(7);
  auto next = [&patterns](uint32_t below) { return static_cast<uint32_t>(patterns() % below); };
  const int32_t lengths[] = {16, 17, 33, 0, 1000};
  for (int trial = 0; trial < 300; ++trial) {
    std::vector<int32_t> frames;
    while (frames.size() < 200) {
      std::vector<int32_t> group(1 + next(4));
      for (int32_t& length : group) length = lengths[next(trial % 2 ? 2 : 5)];
      for (uint32_t times = 1 + next(5); times > 0; --times)
        frames.insert(frames.end(), group.begin(), group.end());
    }
    std::string error;
    ASSERT_EQ(framesThroughTheFile(frames, error), frames) << "trial " << trial << ": " << error;
  }
}

TEST(Replays, AsLongAGameAsTheBoundComesBackWholeAndNoLonger) {
  std::string error;
  // Two hours of even frames, and the longest game a replay may hold, about eighteen.
  for (uint32_t passes : {uint32_t(7200 * 60), Replay::MaxPasses}) {
    std::vector<int32_t> frames(passes, 16);
    EXPECT_EQ(framesThroughTheFile(frames, error).size(), passes) << error;
  }
  std::vector<int32_t> tooMany(Replay::MaxPasses + 1, 16);
  EXPECT_TRUE(framesThroughTheFile(tooMany, error).empty());
  EXPECT_NE(error.find("more than"), std::string::npos) << error;
}

TEST(Replays, DamagedFilesAreRefusedWithTheirLine) {
  const std::string good = playedGame().text();
  const std::string ends = good.substr(0, good.find("\nend ") + 1);
  struct Case {
    std::string what, text, says;
  } cases[] = {
      {"truncated before the end lines", ends, "truncated"},
      {"truncated mid-header", good.substr(0, good.find("board")), "setup"},
      {"not a replay", "hello\n", "line 1: not a Pigmora replay"},
      {"garbage line", withLine(good, "board 7 13", "board seven"), "line 5:"},
      {"unknown input", withLine(good, "# pass", "3 0 Q\n# pass"), "unknown input 'Q'"},
      {"input past the frames", good + "999999 0 L\n", "after the end lines"},
      {"passes out of order", withLine(good, "# pass", "9 0 L\n1 0 L\n# pass"), "out of order"},
      {"a repeat beyond all bounds", withLine(good, "frames ", "frames 16*4000000000 "), "passes"},
      {"a frame length out of range", withLine(good, "frames ", "frames -5 "), "frame length"},
      {"a board too big", withLine(good, "board 7 13", "board 70 13"), "size"},
      {"a player of no game", withLine(good, "# pass", "3 5 L\n# pass"), "no player 5"},
      {"pause from player 1", withLine(good, "# pass", "3 1 H\n# pass"), "player 0"},
      {"a line too long", withLine(good, "# pass", std::string(70000, 'L')), "too long"},
      {"a NUL in a number", withLine(good, "mode 1", std::string("mode \0", 6)), "bad mode"},
      {"a digest not in hex", withLine(good, "# pass", "digest 5 0123456789abcdeg\n# pass"),
       "'digest PASS HEX'"},
      {"a digest too short", withLine(good, "# pass", "digest 5 0123\n# pass"),
       "'digest PASS HEX'"},
      {"a seat of no player", withLine(good, "seat 0", "seat 2"), "bad seat"},
      {"a leaver of no player", withLine(good, "seat 0", "seat 0\nleaver 5"), "bad leaver"},
      {"digests out of order", withLine(good, "# pass", "digest 999 0123456789abcdef\n# pass"),
       "digests out of order"},
      {"a digest past the frames",
       withLine(good, "\nend ", "\ndigest 99999 0123456789abcdef\nend "),
       "a digest for pass 99999"},
      {"a NUL in a damaged line", withLine(good, "# pass", std::string("ju\0nk\n# pass", 12)),
       "unknown line 'ju\\x00nk'"},
      {"terminal escapes", withLine(good, "# pass", "\x1b[2J\x1b]0;owned\x07\n# pass"),
       "unknown line '\\x1b[2J\\x1b]0;owned\\x07'"},
      {"an empty file", "", "the file is empty"},
      {"a mode after the inputs", withLine(good, "\nend ", "\nmode 0\nend "),
       "'mode' after the inputs"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Replay replay;
    std::string error;
    EXPECT_FALSE(readText(c.text, replay, error));
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
    // The message goes to a terminal: nothing of the file may reach it raw.
    EXPECT_TRUE(std::all_of(error.begin(), error.end(), [](char b) { return b >= ' ' && b < 127; }))
        << error;
  }
}

TEST(Replays, AnotherRulesVersionIsRefusedByNameWhateverFollows) {
  std::string text = withLine(playedGame().text(), "rules 1\nprogram 9.9",
                              "rules 7\nprogram 3.0\x1b[m\nsomething new");
  Replay replay;
  std::string error;
  EXPECT_FALSE(readText(text, replay, error));
  EXPECT_EQ(error, "made by rules version 7 (Pigmora 3.0\\x1b[m); this is rules version 1");
}

TEST(ReplayShelf, KeepsTheNewestGamesAndLeavesOtherFilesAlone) {
  TempDir dir;
  std::string folder = dir.file("replays");
  Replay replay = playedGame(5, 3000);
  std::string error, first, last;
  // The player's own files, named much like ours, one older and one newer than any game.
  const char* const theirs[] = {"notes.txt", "1999-12-31_23-59-59_KEEP-my-record.txt",
                                "2099-01-01_00-00-00_versus-mine.txt"};
  std::filesystem::create_directory(folder);
  for (const char* name : theirs) dir.write(std::string("replays/") + name, "mine");
  for (int i = 0; i < 5; ++i) {
    replay.program = "1." + std::to_string(i);  // each game its own
    std::string path = ReplayShelf::save(replay, folder, 3, error);
    ASSERT_FALSE(path.empty()) << error;
    if (i == 0) first = path;
    last = path;
  }
  EXPECT_EQ(filesIn(folder).size(), 6u);  // three games and the player's own three files
  for (const char* name : theirs) EXPECT_EQ(dir.read(std::string("replays/") + name), "mine");
  EXPECT_FALSE(std::filesystem::exists(first));
  EXPECT_EQ(ReplayShelf::newest(folder), last) << "--replay would show another game";
  Replay newest;
  ASSERT_TRUE(ReplayShelf::load(ReplayShelf::newest(folder), newest, error)) << error;
  EXPECT_EQ(newest.text(), replay.text());
}

// Two players' games ending in the same second, in the same folder, many times over.
TEST(ReplayShelf, GamesEndingTogetherInOneFolderAreAllKept) {
  TempDir dir;
  const Replay replay = playedGame(5, 3000);
  constexpr int Savers = 4, GamesEach = 25;
  std::vector<pid_t> savers;
  for (int i = 0; i < Savers; ++i)
    savers.push_back(Child::start([&] {
      std::string error;
      for (int game = 0; game < GamesEach; ++game)
        if (ReplayShelf::save(replay, dir.file("replays"), Savers * GamesEach, error).empty())
          return 1;
      return 0;
    }));
  for (pid_t saver : savers) EXPECT_EQ(Child::finish(saver), 0);
  EXPECT_EQ(filesIn(dir.file("replays")).size(), static_cast<size_t>(Savers * GamesEach));
}

// In a sandbox every run of the game has the same PID. One is killed half-way through its
// save (by a limit on file size, with SIGXFSZ); the next game, a day later, still saves,
// and what the killed save left is cleared.
TEST(ReplayShelf, ASaveKilledInASandboxDoesNotStopTheNextGamesSave) {
  TempDir dir;
  const std::string folder = dir.file("replays");
  const Replay replay = playedGame();
  auto save = [&] {
    std::string error;
    return ReplayShelf::save(replay, folder, ReplayShelf::Kept, error).empty() ? 1 : 0;
  };
  int killed = Child::finish(Child::start(
      [&] {
        const rlimit half{replay.text().size() / 2, replay.text().size() / 2};
        setrlimit(RLIMIT_FSIZE, &half);
        std::signal(SIGXFSZ, SIG_DFL);
        return save();
      },
      true));
  if (WIFEXITED(killed) && WEXITSTATUS(killed) == Child::NoNamespaces)
    GTEST_SKIP() << "this machine gives no PID namespaces";
  ASSERT_TRUE(WIFSIGNALED(killed) && WTERMSIG(killed) == SIGXFSZ) << killed;
  std::vector<std::filesystem::path> left = filesIn(folder);
  ASSERT_EQ(left.size(), 1u) << "the killed save's half file";
  std::filesystem::last_write_time(
      left[0], std::filesystem::last_write_time(left[0]) - std::chrono::hours(24));

  EXPECT_EQ(Child::finish(Child::start(save, true)), 0);
  left = filesIn(folder);
  ASSERT_EQ(left.size(), 1u);
  Replay saved;
  std::string error;
  ASSERT_TRUE(ReplayShelf::load(left[0], saved, error)) << error;
  EXPECT_EQ(saved.text(), replay.text());
}

TEST(ReplayShelf, AFolderThatCannotTakeAGameSaysWhyAndLeavesNothing) {
  TempDir dir;
  dir.write("replays", "a file where the folder should be");
  std::string error;
  EXPECT_EQ(ReplayShelf::save(playedGame(5, 3000), dir.file("replays"), 3, error), "");
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(dir.read("replays"), "a file where the folder should be");
}

TEST(ReplayShelf, OnlyRegularFilesOfSaneSizeAreRead) {
  TempDir dir;
  ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0600), 0);
  std::ofstream(dir.file("huge")).seekp((64 << 20) + 1) << 'x';
  Replay replay;
  std::string error;
  for (const char* name : {"fifo", "huge", "missing"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(ReplayShelf::load(dir.file(name), replay, error));
    EXPECT_EQ(error.rfind(dir.file(name) + ": ", 0), 0u) << error;
  }
}
