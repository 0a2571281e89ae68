// Saving and restoring a game loses nothing: every recorded game is played twice, once
// straight and once going back at every pass to the saved state of a few passes before
// and stepping forward again, as the network game does when a late input arrives. Any
// part of the state that the saved form misses makes the two runs part.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "Replay.h"

TEST(SyncTest, GoingBackToAnySavedPassAndSteppingAgainGivesTheSameGame) {
  int replayed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(PIGMORA_RECORDINGS_DIR)) {
    if (entry.path().extension() != ".txt") continue;
    SCOPED_TRACE(entry.path().filename().string());
    Replay replay;
    std::string error;
    std::ifstream text(entry.path());
    ASSERT_TRUE(replay.read(text, error)) << error;
    std::vector<uint64_t> straight;
    playReplay(replay, [&](const Game& game) { straight.push_back(game.digest()); });

    // The saved form of the last passes, oldest first; each pass goes back k of them
    // (1 to 15, changing from pass to pass) and steps forward again.
    constexpr size_t Kept = 15;
    std::vector<std::vector<uint8_t>> saved;
    std::vector<PassInput> inputs;
    Game game(replay.setup);
    StepEvents events;
    size_t cursor = 0;
    for (uint32_t pass = 1; pass <= straight.size(); ++pass) {
      saved.push_back(saveState(game));
      inputs.push_back(replay.inputsOf(pass, cursor));
      if (saved.size() > Kept) {
        saved.erase(saved.begin());
        inputs.erase(inputs.begin());
      }
      size_t back = std::min<size_t>(1 + (pass * 7) % Kept, saved.size());
      size_t from = saved.size() - back;
      ASSERT_TRUE(loadState(game, saved[from]));
      for (size_t i = from; i < saved.size(); ++i) {
        uint32_t p = pass - static_cast<uint32_t>(saved.size() - 1 - i);
        game.step(replay.frames[p - 1], inputs[i], events);
      }
      ASSERT_EQ(game.digest(), straight[pass - 1]) << "parted at pass " << pass;
    }
    ++replayed;
  }
  EXPECT_GE(replayed, 5);
}

TEST(SyncTest, ASavedStateThatIsCutShortOrPaddedIsRefused) {
  Game game(GameSetup(1));
  std::vector<uint8_t> bytes = saveState(game);
  Game untouched = game;
  for (std::vector<uint8_t> damaged :
       {std::vector<uint8_t>(bytes.begin(), bytes.end() - 1), std::vector<uint8_t>{}}) {
    EXPECT_FALSE(loadState(game, damaged));
    EXPECT_EQ(game, untouched);
  }
  bytes.push_back(0);
  EXPECT_FALSE(loadState(game, bytes));
}
