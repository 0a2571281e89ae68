#include <gtest/gtest.h>

#include "Font.h"
#include "TestArt.h"

namespace {

struct FontFolder {
  TestArt art;
  VideoSession video;
  SDL_Surface* screen = SDL_SetVideoMode(640, 480, 16, SDL_DOUBLEBUF);
  void clear(Rgb colour) {
    SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, colour.r, colour.g, colour.b));
  }
};

const Rgb Black = {0, 0, 0};
const Rgb White = {255, 255, 255};

}  // namespace

TEST(Font, ReadsLowerCaseThenUpperCaseGlyphNamesAndFallsBackOnGlyphZero) {
  FontFolder folder;
  Font font;
  ASSERT_EQ(font.load("Font", "", nullptr), 0);
  ASSERT_NE(font.glyphs['J'], nullptr);  // "4a.png"
  ASSERT_NE(font.glyphs['K'], nullptr);  // "4B.png"
  EXPECT_EQ(font.glyphs['x'], nullptr);
  EXPECT_EQ(font.lineHeight(), 12);
  // 'J' 5 + 'K' 7 + a missing 'x' as glyph 0, 8 + digit '1' 6; a newline counts too.
  EXPECT_EQ(font.textWidth("JKx1"), 26);
  EXPECT_EQ(font.textWidth("1\n1"), 20);
  EXPECT_EQ(font.textWidth(""), 0);
}

TEST(Font, WithoutGlyphZeroTheFontIsUnusableButDrawingItIsHarmless) {
  FontFolder folder;
  folder.art.remove("Font/0.png");
  Font font;
  EXPECT_EQ(font.load("Font", "", nullptr), -1);
  EXPECT_EQ(font.lineHeight(), -1);
  EXPECT_EQ(font.glyphs['J'], nullptr);  // the load stopped at once
  font.draw(folder.screen, "J?", 0, 0);
  EXPECT_EQ(font.textWidth("J?"), 0);
}

TEST(Font, TintMultipliesEachChannelAndKeepsTheAlpha) {
  FontFolder folder;
  // A half-grey, half-transparent glyph shows the arithmetic on every channel.
  saveImage(solidImage(4, 4, {128, 128, 128}, 100), folder.art.dir.file("Font/41.png"));
  const uint8_t lightBlue[3] = {128, 128, 255};
  const uint8_t orange[3] = {255, 128, 0};
  Font blue, amber;
  ASSERT_EQ(blue.load("Font", "", lightBlue), 0);
  ASSERT_EQ(amber.load("Font", "", orange), 0);

  auto channels = [](SDL_Surface* glyph) {
    Uint8 r, g, b, a;
    SDL_GetRGBA(*static_cast<Uint32*>(glyph->pixels), glyph->format, &r, &g, &b, &a);
    return std::vector<int>{r, g, b, a};
  };
  // A white glyph takes the tint itself.
  EXPECT_EQ(channels(blue.glyphs[0]), (std::vector<int>{128, 128, 255, 255}));
  EXPECT_EQ(channels(amber.glyphs[0]), (std::vector<int>{255, 128, 0, 255}));
  // 128 x 128 / 255 = 64.25, truncated; the alpha is untouched.
  EXPECT_EQ(channels(blue.glyphs['A']), (std::vector<int>{64, 64, 128, 100}));
  EXPECT_EQ(channels(amber.glyphs['A']), (std::vector<int>{128, 64, 0, 100}));
}

TEST(Font, TwoLinesStartAtTheSameXOneLineApart) {
  FontFolder folder;
  Font font;
  font.load("Font", "", nullptr);
  folder.clear(Black);
  SDL_Rect small = {0, 0, 20, 20};
  SDL_SetClipRect(folder.screen, &small);  // drawing text resets any clip left behind

  font.draw(folder.screen, "JJ\nK", 10, 20);
  // First line: two 5-wide glyphs from x 10 to 19, rows 20 to 31.
  EXPECT_EQ(pixelAt(folder.screen, 10, 20), White);
  EXPECT_EQ(pixelAt(folder.screen, 19, 31), White);
  EXPECT_EQ(pixelAt(folder.screen, 20, 20), Black);
  // Second line: 'K', 7 wide, back at x 10 and 12 rows lower.
  EXPECT_EQ(pixelAt(folder.screen, 10, 32), White);
  EXPECT_EQ(pixelAt(folder.screen, 16, 43), White);
  EXPECT_EQ(pixelAt(folder.screen, 17, 32), Black);
  EXPECT_EQ(pixelAt(folder.screen, 10, 44), Black);
  EXPECT_EQ(pixelAt(folder.screen, 9, 32), Black);
}
