#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "Display.h"
#include "Error.h"
#include "Settings.h"
#include "TestArt.h"

namespace {

std::string loadError(Display& display) {
  try {
    display.loadGraphics();
  } catch (const Error& error) {
    return error.message;
  }
  return "(no error)";
}

struct LoadedDisplay {
  SettingsGuard guard;
  TestArt art;
  VideoSession video;
  Display display;
  LoadedDisplay() { display.splashTime = 0; }
};

}  // namespace

TEST(DisplayStartUp, OpensTheWindowLoadsEverySpriteAndEndsOnTheTitle) {
  LoadedDisplay fixture;
  Display& display = fixture.display;
  settings.Antialias = 0;
  ASSERT_EQ(display.loadGraphics(), 1);

  ASSERT_NE(display.screen, nullptr);
  EXPECT_EQ(display.screen->w, 640);
  EXPECT_EQ(display.screen->h, 480);
  EXPECT_EQ(display.screen->format->BitsPerPixel, 16);
  EXPECT_EQ(display.fullscreen, 0);
  EXPECT_EQ(display.modeChanged, 1);
  EXPECT_EQ(pixelAt(display.screen, 320, 240), TitleColour);

  // Sharp-edged pieces by default; their size still gives the overhang.
  EXPECT_EQ(display.pieces, display.hardPieces);
  EXPECT_EQ(display.overhangX, 4);
  EXPECT_EQ(display.overhangY, 4);
  for (int colour = 0; colour < 9; ++colour) {
    ASSERT_NE(display.smoothPieces[colour], nullptr);
    ASSERT_NE(display.hardPieces[colour], nullptr);
    ASSERT_NE(display.colourCursors[colour], nullptr);
    EXPECT_EQ(display.hardPieces[colour]->format->BitsPerPixel, 16);
    bool spreads = colour >= 1 && colour <= 6;
    EXPECT_EQ(display.splats[colour] != nullptr, spreads) << "colour " << colour;
    if (spreads) {
      EXPECT_EQ(display.splats[colour]->frames.size(), 5u);
    }
  }
  EXPECT_EQ(display.explosion->frames.size(), 6u);
  EXPECT_EQ(display.sparkles->frames.size(), 11u);
  EXPECT_NE(display.menuBackground, nullptr);
  EXPECT_NE(display.menuCursor, nullptr);
  EXPECT_TRUE(display.playerCursor->flags & SDL_SRCCOLORKEY);
  EXPECT_TRUE(display.emptyCursor->flags & SDL_SRCCOLORKEY);
  EXPECT_FALSE(display.menuCursor->flags & SDL_SRCCOLORKEY);
  for (const Font& font : display.fonts) EXPECT_EQ(font.lineHeight(), 12);
  EXPECT_EQ(display.normalFont, &display.fonts[0]);
  EXPECT_EQ(display.highlightFont, &display.fonts[1]);
}

TEST(DisplayStartUp, TurningAntialiasOnSwapsThePieceSetWithoutReloading) {
  LoadedDisplay fixture;
  Display& display = fixture.display;
  settings.Antialias = 0;
  display.loadGraphics();
  SDL_Surface* smoothWhite = display.smoothPieces[0];
  SDL_Surface* screen = display.screen;
  display.modeChanged = 0;

  settings.Antialias = 1;
  display.applyVideoSettings();
  EXPECT_EQ(display.pieces, display.smoothPieces);
  EXPECT_EQ(display.smoothPieces[0], smoothWhite);
  // The video mode did not change, so the window was left alone.
  EXPECT_EQ(display.screen, screen);
  EXPECT_EQ(display.modeChanged, 0);
}

TEST(DisplayStartUp, TheGameCanStartWithoutIconWarningTitleOrMenuBackground) {
  LoadedDisplay fixture;
  for (const char* name : {"Sprites/icon.png", "Backgrounds/Warning.png", "Backgrounds/title.jpg",
                           "Backgrounds/menu.jpg"}) {
    fixture.art.remove(name);
  }
  EXPECT_EQ(loadError(fixture.display), "(no error)");
  EXPECT_EQ(fixture.display.menuBackground, nullptr);
  EXPECT_NE(fixture.display.playerCursor, nullptr);
}

TEST(DisplayStartUp, AMissingCursorStopsStartUpNamingTheFile) {
  LoadedDisplay fixture;
  fixture.art.remove("Sprites/cursor1.png");
  std::string message = loadError(fixture.display);
  EXPECT_EQ(message.rfind("Unable to load image <./Sprites/cursor1.png>", 0), 0u) << message;
}

TEST(DisplayStartUp, AMissingPieceIsTheResourceError) {
  LoadedDisplay fixture;
  fixture.art.remove("Sprites/orange.1.png");
  EXPECT_EQ(loadError(fixture.display),
            "Unable to find resource <orange.1.png> from ./Sprites/orange.1.png");
}

TEST(DisplayStartUp, APieceThatIsNotAnImageStopsStartUpNamingIt) {
  LoadedDisplay fixture;
  fixture.art.dir.write("Sprites/green.1.png", "this is not a picture");
  EXPECT_EQ(loadError(fixture.display), "Unable to decode resource <green.1.png>");
}

TEST(DisplayStartUp, ABrokenSparkleFrameStopsStartUpNamingIt) {
  LoadedDisplay fixture;
  fixture.art.dir.write("Sprites/sparkles.7.png", "");
  EXPECT_EQ(loadError(fixture.display), "Unable to decode resource <sparkles.7.png>");
}

TEST(DisplayStartUp, AFontWithoutGlyphZeroStopsStartUp) {
  LoadedDisplay fixture;
  fixture.art.remove("Font/0.png");
  EXPECT_EQ(loadError(fixture.display), "Unable to load font glyph </0.png> from ./Font/");
}

TEST(DisplayStartUp, AWindowThatCannotOpenStopsStartUpWithSdlsReason) {
  SettingsGuard guard;
  TestArt art;
  const char* previous = std::getenv("SDL_VIDEODRIVER");
  std::string driver = previous ? previous : "";
  setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
  Display display;
  display.splashTime = 0;
  std::string message = loadError(display);
  setenv("SDL_VIDEODRIVER", driver.c_str(), 1);
  SDL_Quit();
  EXPECT_EQ(message.rfind("Unable to set the video mode 640x480x16: ", 0), 0u) << message;
  EXPECT_NE(message.find("no-such-driver"), std::string::npos) << message;
}

TEST(DisplayVideoMode, ARefusedModeFromTheOptionsKeepsTheWindowThatWorks) {
  SettingsGuard guard;
  VideoSession video;
  Display display;
  settings.Fullscreen = 0;
  display.fullscreen = 1;
  display.applyVideoSettings();
  ASSERT_NE(display.screen, nullptr);

  // A size the driver refuses stands in for a full-screen mode the monitor lacks.
  display.width = -1;
  settings.Fullscreen = 1;
  try {
    display.applyVideoSettings();
    ADD_FAILURE() << "a refused mode with no way back should stop the game";
  } catch (const Error& error) {
    EXPECT_NE(error.message.find("Unable to set the video mode"), std::string::npos);
  }
  // The options screen shows the mode that was last in force, not the refused one.
  EXPECT_EQ(settings.Fullscreen, 0);
  EXPECT_EQ(display.fullscreen, 0);
}

TEST(DisplayHardEdges, HalfTransparentPixelsBecomeTheKeyAndTheRestKeepsItsColour) {
  VideoSession video;
  Display display;
  display.screen = SDL_SetVideoMode(640, 480, 16, SDL_DOUBLEBUF);
  SDL_Surface* source = solidImage(2, 1, {255, 0, 0}, 127);
  SDL_Rect right = {1, 0, 1, 1};
  SDL_FillRect(source, &right, SDL_MapRGBA(source->format, 0, 255, 0, 128));

  SDL_Surface* hard = display.makeHardEdged(source);
  EXPECT_EQ(hard->w, 2);
  EXPECT_EQ(hard->format->BitsPerPixel, 16);
  EXPECT_EQ(hard->format->Amask, 0u);
  EXPECT_EQ(pixelAt(hard, 0, 0), (Rgb{255, 0, 255}));
  EXPECT_EQ(pixelAt(hard, 1, 0), (Rgb{0, 255, 0}));

  // Over a blue screen only the opaque pixel shows.
  SDL_FillRect(display.screen, nullptr, SDL_MapRGB(display.screen->format, 0, 0, 255));
  SDL_Rect at = {10, 10, 0, 0};
  SDL_BlitSurface(hard, nullptr, display.screen, &at);
  EXPECT_EQ(pixelAt(display.screen, 10, 10), (Rgb{0, 0, 255}));
  EXPECT_EQ(pixelAt(display.screen, 11, 10), (Rgb{0, 255, 0}));
  SDL_FreeSurface(hard);
  SDL_FreeSurface(source);
}
