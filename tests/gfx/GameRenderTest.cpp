#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "Display.h"
#include "Game.h"
#include "GameLayout.h"
#include "HumanController.h"
#include "TestArt.h"

namespace {

// The generated art, entered as the game's working folder for the test's lifetime.
struct GeneratedArt {
  std::filesystem::path previous = std::filesystem::current_path();
  GeneratedArt() { std::filesystem::current_path(PIGMORA_DATA_DIR); }
  ~GeneratedArt() { std::filesystem::current_path(previous); }
};

}  // namespace

// Each game runs untouched until its stacks reach the cursor, drawn on every pass the
// way the main loop drives it: update, then RenderFrame on the bus.
TEST(WholeGame, EveryModeIsDrawnFrameByFrameUntilTheResultsShow) {
  for (int mode : {0, 1, 2}) {
    SCOPED_TRACE("mode " + std::to_string(mode));
    SettingsGuard guard;
    VideoSession video;
    std::string screenshot = "game-over-mode-" + std::to_string(mode) + ".bmp";
    {
      GeneratedArt art;
      Display display;
      display.splashTime = 0;
      ASSERT_EQ(display.loadGraphics(), 1);
      GameLayout layout(mode);
      ASSERT_NE(layout.background, nullptr);
      Game game;
      uint32_t now = 1000;
      game.clock = [&now] { return now; };
      game.layout = &layout;
      HumanController controllers[2];
      for (int i = 0; i < layout.playerCount; ++i) controllers[i].attach(&game, i);
      game.bus.subscribe(RenderFrame, &display);

      // Row 12, next to the cursor, in the first column: where the stack ends up.
      int x = layout.boardRects[0].x + display.overhangX + 16, y = layout.boardRects[0].y + 400;
      auto empty = [&] {
        return pixelAt(display.screen, x, y) == pixelAt(layout.convertedBackground, x, y);
      };
      int frames = 0;
      bool emptyAtFirst = false;
      while (game.state != Over && frames < 5000) {
        now += 100;
        game.bus.post(UpdateGame, nullptr);
        game.bus.post(RenderFrame, &game);
        if (++frames == 1) emptyAtFirst = empty();
      }
      EXPECT_EQ(game.state, Over);
      EXPECT_EQ(display.frameCounter, frames);
      EXPECT_TRUE(emptyAtFirst);
      EXPECT_FALSE(empty());
      for (int i = 0; i < layout.playerCount; ++i) EXPECT_FALSE(game.players[i].alive);
    }
    // The last frame, results and all, for people to look at.
    EXPECT_EQ(SDL_SaveBMP(SDL_GetVideoSurface(), screenshot.c_str()), 0);
  }
}
