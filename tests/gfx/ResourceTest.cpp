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
  std::unique_ptr<ResourceSource> sprites{openResourceLibrary("Sprites")};
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

std::string textOf(const Resource& r) {
  return std::string(reinterpret_cast<const char*>(r.data), r.size);
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
  Resource red = game.sprites->load("red.1.png", false);
  EXPECT_EQ(textOf(red), bytes);
  EXPECT_EQ(red.owner, game.sprites.get());
  red.owner->release(red);
  EXPECT_TRUE(red.absent() && red.data == nullptr);
  game.sprites->release(red);  // releasing what is already absent frees nothing
  EXPECT_TRUE(red.absent());
}

TEST(ResourceLibrary, MissingFilesAreNamedWithTheirPathUnlessOptional) {
  GameFolder game;
  game.dir.write("Font/41.png", "A glyph");
  std::unique_ptr<ResourceSource> font(openResourceLibrary("Font"));
  std::unique_ptr<ResourceSource> sounds(openResourceLibrary("Sounds"));  // no such folder
  for (int attempt = 0; attempt < 2; ++attempt) {                         // nothing is cached
    EXPECT_EQ(messageOf(*game.sprites, "red.1.png"),
              "Unable to find resource <red.1.png> from ./Sprites/red.1.png");
  }
  EXPECT_EQ(messageOf(*sounds, "grab.wav"),
            "Unable to find resource <grab.wav> from ./Sounds/grab.wav");
  // Glyph names start with a separator, which doubles in the path but still reaches the file.
  Resource a = font->load("/41.png", true);
  EXPECT_EQ(textOf(a), "A glyph");
  font->release(a);
  EXPECT_EQ(messageOf(*font, "/42.png"), "Unable to find resource </42.png> from ./Font//42.png");
  Resource glyph = game.sprites->load("/7f.png", true);
  EXPECT_TRUE(glyph.absent() && glyph.data == nullptr && glyph.owner == nullptr);
}

TEST(ResourceLibrary, SomethingThatCannotBeReadWholeIsNeverHandedOn) {
  GameFolder game;
  // A folder where the file should be: its status is found, but no bytes come out.
  mkdir(game.dir.file("Sprites/green.1.png").c_str(), 0755);
  EXPECT_EQ(messageOf(*game.sprites, "green.1.png"), "Unable to open resource <green.1.png>");
  Resource optional = game.sprites->load("green.1.png", true);
  EXPECT_TRUE(optional.absent() && optional.data == nullptr);
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
  EXPECT_EQ(textOf(frame), "two");
  // A copy of the same buffer, or the variable itself, must not free what it holds.
  Resource copy = frame;
  frame = copy;
  frame = frame;
  EXPECT_EQ(sprites.released, 1);
  EXPECT_EQ(frame.data, copy.data);

  frame.owner->release(frame);
  frame = Resource();  // already given back: nothing more to free
  EXPECT_EQ(sprites.released, 2);
}

TEST(ImageLoading, DecodesFromTheBufferAndSurvivesItsReleaseButNotEmptinessOrNoise) {
  GameFolder game;
  SDL_Surface* made = SDL_CreateRGBSurface(0, 3, 2, 32, 0xff0000, 0xff00, 0xff, 0);
  SDL_FillRect(made, nullptr, SDL_MapRGB(made->format, 10, 200, 30));
  ASSERT_EQ(SDL_SaveBMP(made, game.dir.file("Sprites/icon.bmp").c_str()), 0);
  SDL_FreeSurface(made);
  game.dir.write("Sprites/noise.png", "definitely not an image");
  game.dir.write("Sprites/explosion.1.png", "");

  Resource picture = game.sprites->load("icon.bmp", false);
  SDL_Surface* image = loadImageFromResource(picture);
  game.sprites->release(picture);
  ASSERT_NE(image, nullptr);
  EXPECT_TRUE(image->w == 3 && image->h == 2);
  Uint32 pixel = 0;
  std::memcpy(&pixel, image->pixels, image->format->BytesPerPixel);
  Uint8 r, g, b;
  SDL_GetRGB(pixel, image->format, &r, &g, &b);
  EXPECT_TRUE(r == 10 && g == 200 && b == 30) << int(r) << " " << int(g) << " " << int(b);
  SDL_FreeSurface(image);

  for (const char* name : {"noise.png", "explosion.1.png"}) {
    Resource bytes = game.sprites->load(name, false);
    EXPECT_FALSE(bytes.absent()) << name;  // present, even when empty
    EXPECT_EQ(loadImageFromResource(bytes), nullptr) << name;
    game.sprites->release(bytes);
  }
  EXPECT_EQ(loadImageFromResource(Resource()), nullptr);
}
