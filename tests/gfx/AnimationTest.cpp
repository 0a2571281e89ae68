#include <gtest/gtest.h>

#include <memory>

#include "DirectoryResourceSource.h"
#include "Error.h"
#include "FadingAnimation.h"
#include "TestArt.h"

namespace {

struct AnimationBench {
  TestArt art;
  VideoSession video;
  SDL_Surface* screen = SDL_SetVideoMode(640, 480, 16, SDL_DOUBLEBUF);
  std::unique_ptr<ResourceSource> sprites{openResourceLibrary("Sprites")};
  SDL_Rect at = {100, 100, 32, 32};

  Rgb drawn(Animation& animation, uint16_t progress) {
    SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 0, 0, 0));
    animation.draw(screen, &at, progress);
    return pixelAt(screen, 116, 108);
  }
};

const Rgb Nothing = {0, 0, 0};

}  // namespace

TEST(Animation, ElevenSparkleFramesShareTheProgressEvenly) {
  AnimationBench bench;
  Animation sparkles;
  sparkles.loadFrames(bench.sprites.get(), "sparkles.%d.png", 11, 0, 0, -1);
  ASSERT_EQ(sparkles.frames.size(), 11u);
  EXPECT_EQ(bench.drawn(sparkles, 0), sparkleColour(1));
  EXPECT_EQ(bench.drawn(sparkles, 5957), sparkleColour(1));
  EXPECT_EQ(bench.drawn(sparkles, 5958), sparkleColour(2));
  EXPECT_EQ(bench.drawn(sparkles, 11915), sparkleColour(2));
  EXPECT_EQ(bench.drawn(sparkles, 11916), sparkleColour(3));
  EXPECT_EQ(bench.drawn(sparkles, 65535), sparkleColour(11));
  // The caller's rectangle is left as it was.
  EXPECT_EQ(bench.at.w, 32);
}

TEST(Animation, AMissingFrameIsTheResourceError) {
  AnimationBench bench;
  bench.art.remove("Sprites/explosion.4.png");
  Animation explosion;
  try {
    explosion.loadFrames(bench.sprites.get(), "explosion.%d.png", 6, 0, 0, -1);
    ADD_FAILURE() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(error.message,
              "Unable to find resource <explosion.4.png> from ./Sprites/explosion.4.png");
  }
  EXPECT_EQ(explosion.frames.size(), 3u);  // the three read are freed with it
}

TEST(FadingAnimation, SplatPlaysInTheFirstQuarterFadesInTheSecondThenIsGone) {
  AnimationBench bench;
  FadingAnimation splat;
  splat.loadFrames(bench.sprites.get(), "blue.splat.%d.png", 5, 0, 0, 0);
  Rgb last = splatColour(4, 5);  // (32, 200, 240)

  EXPECT_EQ(bench.drawn(splat, 0), splatColour(4, 1));
  EXPECT_EQ(bench.drawn(splat, 3276), splatColour(4, 1));
  EXPECT_EQ(bench.drawn(splat, 3277), splatColour(4, 2));
  EXPECT_EQ(bench.drawn(splat, 16383), last);
  // Fading starts at full strength...
  EXPECT_EQ(bench.drawn(splat, 16384), last);
  // ...is half way at alpha 128 over black...
  Rgb half = bench.drawn(splat, 24576);
  EXPECT_NEAR(half.g, 100, 4);
  EXPECT_NEAR(half.b, 120, 4);
  // ...and the splat is gone for the second half of its life.
  EXPECT_EQ(bench.drawn(splat, 32768), Nothing);
  EXPECT_EQ(bench.drawn(splat, 65535), Nothing);
  // Played again from the start it is opaque again.
  EXPECT_EQ(bench.drawn(splat, 100), splatColour(4, 1));
}

TEST(FadingAnimation, BlackIsTheSplatsTransparentColour) {
  AnimationBench bench;
  saveImage(opaqueImage(32, 32, {0, 0, 0}), bench.art.dir.file("Sprites/red.splat.1.png"));
  FadingAnimation splat;
  splat.loadFrames(bench.sprites.get(), "red.splat.%d.png", 5, 0, 0, 0);
  SDL_FillRect(bench.screen, nullptr, SDL_MapRGB(bench.screen->format, 0, 0, 255));
  splat.draw(bench.screen, &bench.at, 0);
  EXPECT_EQ(pixelAt(bench.screen, 116, 108), (Rgb{0, 0, 255}));
}
