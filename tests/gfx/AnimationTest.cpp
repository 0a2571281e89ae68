#include <gtest/gtest.h>

#include <memory>

#include "DirectoryResourceSource.h"
#include "FadingAnimation.h"
#include "TestArt.h"

namespace {

// Draws an animation at a progress on a black screen and reads one point of it.
struct Stage {
  TestArt art;
  VideoSession video;
  SDL_Surface* screen = SDL_SetVideoMode(640, 480, 16, 0);
  std::unique_ptr<ResourceSource> sprites{openResourceLibrary("Sprites")};
  Rgb drawn(Animation& animation, uint16_t progress) {
    SDL_FillRect(screen, nullptr, 0);
    SDL_Rect at = {100, 100, 32, 32};
    animation.draw(screen, &at, progress);
    return pixelAt(screen, 116, 108);
  }
};

}  // namespace

TEST(Animation, ElevenSparkleFramesShareTheProgressEvenly) {
  Stage stage;
  Animation sparkles;
  sparkles.loadFrames(stage.sprites.get(), "sparkles.%d.png", 11, 0, 0, -1);
  const std::pair<uint16_t, int> frames[] = {{0, 1}, {5957, 1}, {5958, 2}, {11916, 3}, {65535, 11}};
  for (auto [progress, frame] : frames)
    EXPECT_EQ(stage.drawn(sparkles, progress), artColour(Sparkle, frame)) << progress;
}

TEST(FadingAnimation, PlaysInTheFirstQuarterFadesInTheSecondAndIsGoneForTheRest) {
  Stage stage;
  FadingAnimation splat;
  splat.loadFrames(stage.sprites.get(), "blue.splat.%d.png", 5, 0, 0, 0);
  const Rgb last = artColour(Splat, 5), gone = {0, 0, 0};
  const std::pair<uint16_t, Rgb> frames[] = {{3276, artColour(Splat, 1)},
                                             {3277, artColour(Splat, 2)},
                                             {16383, last},
                                             {16384, last},  // alpha 255
                                             {32768, gone},
                                             {100, artColour(Splat, 1)}};  // opaque again
  for (auto [progress, colour] : frames)
    EXPECT_EQ(stage.drawn(splat, progress), colour) << progress;
  Rgb half = stage.drawn(splat, 24576);  // alpha 128 over black
  EXPECT_NEAR(half.g, last.g / 2, 4);
  EXPECT_NEAR(half.b, last.b / 2, 4);
}
