#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "Display.h"
#include "Error.h"
#include "TestArt.h"

namespace {

struct StartUp {
  SettingsGuard guard;
  TestArt art;
  VideoSession video;
  Display display;
  StartUp() { display.splashTime = 0; }
  std::string error() {
    try {
      display.loadGraphics();
    } catch (const Error& error) {
      return error.message;
    }
    return "(none)";
  }
};

}  // namespace

TEST(DisplayStartUp, OpensTheWindowEndingOnTheTitle) {
  StartUp start;
  Display& display = start.display;
  settings.Antialias = 0;
  ASSERT_EQ(display.loadGraphics(), 1);
  EXPECT_TRUE(display.screen->w == 640 && display.screen->format->BitsPerPixel == 16);
  EXPECT_EQ(pixelAt(display.screen, 320, 240), Title);
  EXPECT_EQ(display.pieces, display.hardPieces);

  // Antialias takes effect at the next menu's end, without reloading or a new window.
  SDL_Surface* screen = display.screen;
  display.modeChanged = 0;
  settings.Antialias = 1;
  display.applyVideoSettings();
  EXPECT_EQ(display.pieces, display.smoothPieces);
  EXPECT_EQ(display.screen, screen);
  EXPECT_EQ(display.modeChanged, 0);
}

TEST(DisplayStartUp, GoesOnWithoutIconWarningTitleOrMenuBackground) {
  StartUp start;
  for (const char* name : {"Sprites/icon.png", "Backgrounds/Warning.png", "Backgrounds/title.jpg",
                           "Backgrounds/menu.jpg"})
    start.art.remove(name);
  EXPECT_EQ(start.error(), "(none)");
  EXPECT_EQ(start.display.menuBackground, nullptr);
}

TEST(DisplayStartUp, StopsWithAMessageNamingAnythingTheDrawingCannotDoWithout) {
  struct Case {
    const char* file;
    const char* content;  // null: the file is missing
    std::string message;
  } cases[] = {
      {"Sprites/orange.1.png", nullptr,
       "Unable to find resource <orange.1.png> from ./Sprites/orange.1.png"},
      {"Sprites/green.1.png", "not a picture", "Unable to decode resource <green.1.png>"},
      {"Sprites/sparkles.7.png", "", "Unable to decode resource <sparkles.7.png>"},
      {"Sprites/cursor1.png", nullptr, "Unable to load image <./Sprites/cursor1.png>: "},
      {"Sprites/menucursor.png", "junk", "Unable to load image <./Sprites/menucursor.png>: "},
      {"Font/0.png", nullptr, "Unable to load font glyph </0.png> from ./Font/"}};
  for (const Case& c : cases) {
    StartUp start;
    c.content ? start.art.dir.write(c.file, c.content) : start.art.remove(c.file);
    EXPECT_EQ(start.error().substr(0, c.message.size()), c.message) << c.file;
  }
}

TEST(DisplayVideoMode, ARefusedModeFromTheOptionsLeavesTheSettingAtTheModeInForce) {
  SettingsGuard guard;
  VideoSession video;
  Display display;
  settings.Fullscreen = 0;
  display.fullscreen = 1;
  display.applyVideoSettings();
  display.width = -1;  // a size the driver refuses, standing in for a missing monitor mode
  settings.Fullscreen = 1;
  EXPECT_THROW(display.applyVideoSettings(), Error);  // no way back either here
  EXPECT_EQ(settings.Fullscreen, 0);
  EXPECT_EQ(display.fullscreen, 0);
}

TEST(DisplayHardEdges, AlphaBelowHalfBecomesTheMagentaKeyTheRestKeepsItsColour) {
  VideoSession video;
  Display display;
  display.screen = SDL_SetVideoMode(640, 480, 16, 0);
  SDL_Surface* source = solidImage(2, 1, {255, 0, 0}, 127);
  SDL_Rect right = {1, 0, 1, 1};
  SDL_FillRect(source, &right, SDL_MapRGBA(source->format, 0, 255, 0, 128));
  SDL_Surface* hard = display.makeHardEdged(source);
  EXPECT_EQ(hard->format->BitsPerPixel, 16);
  EXPECT_EQ(pixelAt(hard, 0, 0), (Rgb{255, 0, 255}));
  EXPECT_EQ(pixelAt(hard, 1, 0), (Rgb{0, 255, 0}));
  EXPECT_TRUE(hard->flags & SDL_SRCCOLORKEY);
  SDL_FreeSurface(hard);
  SDL_FreeSurface(source);
}
