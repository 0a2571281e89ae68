#include <gtest/gtest.h>
#include <sys/stat.h>

#include <SDL.h>

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
    for (const char* library : {"Sprites", "Font"}) mkdir(dir.file(library).c_str(), 0755);
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

}  // namespace

TEST(ResourceLibrary, MissingOrUnreadableFilesAreNamedUnlessOptional) {
  GameFolder game;
  game.dir.write("Font/41.png", "A glyph");
  mkdir(game.dir.file("Sprites/green.1.png").c_str(), 0755);  // found, but no bytes come out
  std::unique_ptr<ResourceSource> font(openResourceLibrary("Font"));
  std::unique_ptr<ResourceSource> sounds(openResourceLibrary("Sounds"));  // no such folder
  const struct {
    ResourceSource& source;
    const char *name, *message;
  } cases[] = {
      {*game.sprites, "red.1.png", "Unable to find resource <red.1.png> from ./Sprites/red.1.png"},
      {*game.sprites, "red.1.png", "Unable to find resource <red.1.png> from ./Sprites/red.1.png"},
      {*sounds, "grab.wav", "Unable to find resource <grab.wav> from ./Sounds/grab.wav"},
      // Glyph names start with a separator, which doubles in the path.
      {*font, "/42.png", "Unable to find resource </42.png> from ./Font//42.png"},
      {*game.sprites, "green.1.png", "Unable to open resource <green.1.png>"}};
  for (const auto& c : cases) EXPECT_EQ(messageOf(c.source, c.name), c.message);
  Resource a = font->load("/41.png", true);  // the doubled separator still reaches the file
  EXPECT_EQ(textOf(a), "A glyph");
  font->release(a);
  for (const char* name : {"/7f.png", "green.1.png"}) {
    Resource optional = game.sprites->load(name, true);
    EXPECT_TRUE(optional.absent() && optional.data == nullptr && optional.owner == nullptr);
  }
}

TEST(ImageLoading, DecodesFromTheBufferAndOutlivesItButNotEmptinessOrNoise) {
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
  Uint8 rgb[3];
  SDL_GetRGB(*static_cast<Uint32*>(image->pixels) & 0xffffff, image->format, &rgb[0], &rgb[1],
             &rgb[2]);
  EXPECT_TRUE(rgb[0] == 10 && rgb[1] == 200 && rgb[2] == 30);
  SDL_FreeSurface(image);
  for (const char* name : {"noise.png", "explosion.1.png"}) {
    Resource bytes = game.sprites->load(name, false);
    EXPECT_FALSE(bytes.absent()) << name;  // present, even when empty
    EXPECT_EQ(loadImageFromResource(bytes), nullptr) << name;
    game.sprites->release(bytes);
  }
  EXPECT_EQ(loadImageFromResource(Resource()), nullptr);
}
