#include <gtest/gtest.h>
#include <sys/stat.h>

#include <SDL.h>

#include <memory>
#include <string>

#include "DirectoryResourceSource.h"
#include "Error.h"
#include "ImageFiles.h"
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
  // Not regular files: a folder, and a FIFO whose open would wait for a writer for ever.
  mkdir(game.dir.file("Sprites/green.1.png").c_str(), 0755);
  mkfifo(game.dir.file("Sprites/blue.1.png").c_str(), 0644);
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
      {*game.sprites, "green.1.png",
       "Unable to find resource <green.1.png> from ./Sprites/green.1.png"},
      {*game.sprites, "blue.1.png",
       "Unable to find resource <blue.1.png> from ./Sprites/blue.1.png"}};
  for (const auto& c : cases) EXPECT_EQ(messageOf(c.source, c.name), c.message);
  mkfifo(game.dir.file("title.jpg").c_str(), 0644);  // a picture opened by its path
  EXPECT_EQ(loadImageFile("./title.jpg", false), nullptr);
  Resource a = font->load("/41.png", true);  // the doubled separator still reaches the file
  EXPECT_EQ(textOf(a), "A glyph");
  font->release(a);
  for (const char* name : {"/7f.png", "green.1.png"}) {
    Resource optional = game.sprites->load(name, true);
    EXPECT_TRUE(optional.absent() && optional.data == nullptr && optional.owner == nullptr);
  }
}
