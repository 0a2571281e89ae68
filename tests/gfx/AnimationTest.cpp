#include <gtest/gtest.h>

#include <memory>

#include "DirectoryResourceSource.h"
#include "FadingAnimation.h"
#include "TestArt.h"

namespace {

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
  EXPECT_EQ(stage.drawn(sparkles, 0), artColour(Sparkle, 1));
  EXPECT_EQ(stage.drawn(sparkles, 5957), artColour(Sparkle, 1));
  EXPECT_EQ(stage.drawn(sparkles, 5958), artColour(Sparkle, 2));
  EXPECT_EQ(stage.drawn(sparkles, 11916), artColour(Sparkle, 3));
  EXPECT_EQ(stage.drawn(sparkles, 65535), artColour(Sparkle, 11));
}

TEST(FadingAnimation, PlaysInTheFirstQuarterFadesInTheSecondAndIsGoneForTheRest) {
  Stage stage;
  FadingAnimation splat;
  splat.loadFrames(stage.sprites.get(), "blue.splat.%d.png", 5, 0, 0, 0);
  const Rgb last = artColour(Splat, 5), gone = {0, 0, 0};
  EXPECT_EQ(stage.drawn(splat, 3276), artColour(Splat, 1));
  EXPECT_EQ(stage.drawn(splat, 3277), artColour(Splat, 2));
  EXPECT_EQ(stage.drawn(splat, 16383), last);
  EXPECT_EQ(stage.drawn(splat, 16384), last);  // alpha 255
  Rgb half = stage.drawn(splat, 24576);        // alpha 128 over black
  EXPECT_NEAR(half.g, last.g / 2, 4);
  EXPECT_NEAR(half.b, last.b / 2, 4);
  EXPECT_EQ(stage.drawn(splat, 32768), gone);
  EXPECT_EQ(stage.drawn(splat, 100), artColour(Splat, 1));  // opaque again when replayed
}
