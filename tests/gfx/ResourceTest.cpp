#include <gtest/gtest.h>
#include <sys/stat.h>

#include <SDL.h>

#include <cstring>
#include <memory>
#include <string>

#include "DirectoryResourceSource.h"
#include "Error.h"
#include "ImageLoading.h"
#include "TempDir.h"

namespace {

// The game's working folder with its libraries, made fresh for each test.
struct GameFolder {
  TempDir dir{true};
  GameFolder() {
    mkdir(dir.file("Sprites").c_str(), 0755);
    mkdir(dir.file("Font").c_str(), 0755);
  }
};

std::string messageOf(ResourceSource& source, const char* name) {
  try {
    Resource r = source.load(name, false);
    source.release(r);
  } catch (const Error& error) {
    return error.message;
  }
  return "(no error)";
}

// Counts the buffers given back, so a test can see that none is stranded or freed twice.
class CountingSource : public DirectoryResourceSource {
public:
  int released = 0;
  void release(Resource& resource) override {
    if (resource.data) ++released;
    DirectoryResourceSource::release(resource);
  }
};

}  // namespace

TEST(ResourceLibrary, SpritesLibraryReadsAWholePieceImageThenLetsItGo) {
  GameFolder game;
  std::string bytes("\x89PNG\r\n\x1a\n\0\0 some image", 22);
  game.dir.write("Sprites/red.1.png", bytes);

  std::unique_ptr<ResourceSource> sprites(openResourceLibrary("Sprites"));
  auto* directory = dynamic_cast<DirectoryResourceSource*>(sprites.get());
  ASSERT_NE(directory, nullptr);
  EXPECT_EQ(directory->prefix, "./Sprites/");

  Resource red = sprites->load("red.1.png", false);
  ASSERT_EQ(red.size, 22);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(red.data), red.size), bytes);
  EXPECT_EQ(red.owner, sprites.get());

  red.owner->release(red);
  EXPECT_EQ(red.size, -1);
  EXPECT_EQ(red.data, nullptr);
  EXPECT_TRUE(red.absent());

  // Releasing what is already absent frees nothing and stays absent.
  Resource empty;
  sprites->release(empty);
  EXPECT_TRUE(empty.absent());
}

TEST(ResourceLibrary, MissingRequiredSpriteStopsTheGameWithItsPath) {
  GameFolder game;
  std::unique_ptr<ResourceSource> sprites(openResourceLibrary("Sprites"));
  EXPECT_EQ(messageOf(*sprites, "red.1.png"),
            "Unable to find resource <red.1.png> from ./Sprites/red.1.png");
  // Nothing is cached: the second attempt fails the same way.
  EXPECT_EQ(messageOf(*sprites, "red.1.png"),
            "Unable to find resource <red.1.png> from ./Sprites/red.1.png");

  Resource glyph = sprites->load("/7f.png", true);
  EXPECT_EQ(glyph.size, -1);
  EXPECT_EQ(glyph.data, nullptr);
  EXPECT_EQ(glyph.owner, nullptr);
}

TEST(ResourceLibrary, MissingLibraryFolderOpensButFailsAtFirstLoad) {
  TempDir dir(true);
  std::unique_ptr<ResourceSource> sounds(openResourceLibrary("Sounds"));
  EXPECT_EQ(messageOf(*sounds, "grab.wav"),
            "Unable to find resource <grab.wav> from ./Sounds/grab.wav");
}

TEST(ResourceLibrary, EmptyFileIsPresentButNoImage) {
  GameFolder game;
  game.dir.write("Sprites/explosion.1.png", "");
  std::unique_ptr<ResourceSource> sprites(openResourceLibrary("Sprites"));
  Resource frame = sprites->load("explosion.1.png", false);
  EXPECT_EQ(frame.size, 0);
  EXPECT_NE(frame.data, nullptr);
  EXPECT_EQ(loadImageFromResource(frame), nullptr);
  sprites->release(frame);
}

TEST(ResourceLibrary, SomethingThatCannotBeReadWholeIsNeverHandedOn) {
  GameFolder game;
  // A folder where the file should be: its status is found, but no bytes come out.
  mkdir(game.dir.file("Sprites/green.1.png").c_str(), 0755);
  std::unique_ptr<ResourceSource> sprites(openResourceLibrary("Sprites"));

  EXPECT_EQ(messageOf(*sprites, "green.1.png"), "Unable to open resource <green.1.png>");
  Resource optional = sprites->load("green.1.png", true);
  EXPECT_EQ(optional.size, -1);
  EXPECT_EQ(optional.data, nullptr);
}

TEST(ResourceLibrary, GlyphNamesWithALeadingSeparatorReachTheFontFolder) {
  GameFolder game;
  game.dir.write("Font/41.png", "A glyph");
  std::unique_ptr<ResourceSource> font(openResourceLibrary("Font"));
  Resource a = font->load("/41.png", true);
  ASSERT_EQ(a.size, 7);
  EXPECT_EQ(std::memcmp(a.data, "A glyph", 7), 0);
  font->release(a);
  EXPECT_EQ(messageOf(*font, "/42.png"), "Unable to find resource </42.png> from ./Font//42.png");
}

TEST(ResourceLibrary, ReusingAVariableGivesEachBufferBackOnce) {
  GameFolder game;
  game.dir.write("Sprites/sparkles.1.png", "one");
  game.dir.write("Sprites/sparkles.2.png", "two");
  CountingSource sprites;
  sprites.open("Sprites");

  Resource frame = sprites.load("sparkles.1.png", false);
  frame = sprites.load("sparkles.2.png", false);
  EXPECT_EQ(sprites.released, 1);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(frame.data), frame.size), "two");

  // A copy of the same buffer, or the variable itself, must not free what it holds.
  Resource copy = frame;
  frame = copy;
  frame = frame;
  EXPECT_EQ(sprites.released, 1);
  EXPECT_EQ(frame.data, copy.data);

  frame.owner->release(frame);
  EXPECT_EQ(sprites.released, 2);
  frame = Resource();  // already given back: nothing more to free
  EXPECT_EQ(sprites.released, 2);
}

TEST(ImageLoading, DecodesFromTheBufferAndSurvivesItsRelease) {
  GameFolder game;
  SDL_Surface* made = SDL_CreateRGBSurface(0, 3, 2, 32, 0xff0000, 0xff00, 0xff, 0);
  ASSERT_NE(made, nullptr);
  SDL_FillRect(made, nullptr, SDL_MapRGB(made->format, 10, 200, 30));
  ASSERT_EQ(SDL_SaveBMP(made, game.dir.file("Sprites/icon.bmp").c_str()), 0);
  SDL_FreeSurface(made);
  game.dir.write("Sprites/noise.png", "definitely not an image");

  std::unique_ptr<ResourceSource> sprites(openResourceLibrary("Sprites"));
  Resource picture = sprites->load("icon.bmp", false);
  SDL_Surface* image = loadImageFromResource(picture);
  sprites->release(picture);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->w, 3);
  EXPECT_EQ(image->h, 2);
  Uint8 r, g, b;
  SDL_LockSurface(image);
  Uint32 pixel = 0;
  std::memcpy(&pixel, image->pixels, image->format->BytesPerPixel);
  SDL_UnlockSurface(image);
  SDL_GetRGB(pixel, image->format, &r, &g, &b);
  EXPECT_EQ(r, 10);
  EXPECT_EQ(g, 200);
  EXPECT_EQ(b, 30);
  SDL_FreeSurface(image);

  Resource noise = sprites->load("noise.png", false);
  EXPECT_EQ(loadImageFromResource(noise), nullptr);
  sprites->release(noise);
  EXPECT_EQ(loadImageFromResource(Resource()), nullptr);
}
