#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "Font.h"
#include "TestArt.h"

namespace {

struct Fonts {
  TestArt art;
  VideoSession video;
  SDL_Surface* screen = SDL_SetVideoMode(640, 480, 16, 0);
};

std::vector<int> channels(SDL_Surface* glyph) {
  Uint8 r, g, b, a;
  SDL_GetRGBA(*static_cast<Uint32*>(glyph->pixels), glyph->format, &r, &g, &b, &a);
  return {r, g, b, a};
}

const Rgb White = {255, 255, 255}, Black = {0, 0, 0};

}  // namespace

TEST(Font, MeasuresAndDrawsLinesWithGlyphZeroStandingInForMissingOnes) {
  Fonts fonts;
  Font font;
  ASSERT_EQ(font.load("Font", "", nullptr), 0);
  EXPECT_NE(font.glyphs['J'], nullptr);  // "4a.png"
  EXPECT_NE(font.glyphs['K'], nullptr);  // "4B.png"
  EXPECT_EQ(font.lineHeight(), 12);
  // 'J' 5, 'K' 7, a missing 'x' as glyph 0 (8), '1' 6; a newline is a character here.
  EXPECT_EQ(font.textWidth("JKx1"), 26);
  EXPECT_EQ(font.textWidth("1\n1"), 20);

  // A second line starts back at x, glyph 0's height lower.
  SDL_FillRect(fonts.screen, nullptr, 0);  // a new video surface is not promised to be black
  SDL_Rect small = {0, 0, 5, 5};
  SDL_SetClipRect(fonts.screen, &small);  // text ignores a clip left behind
  font.draw(fonts.screen, "JJ\nK", 10, 20);
  // "JJ" covers x 10..19, y 20..31; "K" x 10..16, y 32..43.
  for (auto [x, y] : {std::pair{10, 20}, {19, 31}, {10, 32}, {16, 43}})
    EXPECT_EQ(pixelAt(fonts.screen, x, y), White) << x << "," << y;
  for (auto [x, y] : {std::pair{20, 20}, {17, 32}, {10, 44}})
    EXPECT_EQ(pixelAt(fonts.screen, x, y), Black) << x << "," << y;
}

TEST(Font, TintMultipliesEveryChannelAndKeepsTheAlpha) {
  Fonts fonts;
  saveImage(solidImage(4, 4, {128, 128, 128}, 100), fonts.art.dir.file("Font/41.png"));
  const uint8_t lightBlue[3] = {128, 128, 255}, orange[3] = {255, 128, 0};
  Font blue, amber;
  blue.load("Font", "", lightBlue);
  amber.load("Font", "", orange);
  EXPECT_EQ(channels(blue.glyphs[0]), (std::vector<int>{128, 128, 255, 255}));
  EXPECT_EQ(channels(amber.glyphs[0]), (std::vector<int>{255, 128, 0, 255}));
  // 128 x 128 / 255 = 64.25, truncated.
  EXPECT_EQ(channels(blue.glyphs['A']), (std::vector<int>{64, 64, 128, 100}));
  EXPECT_EQ(channels(amber.glyphs['A']), (std::vector<int>{128, 64, 0, 100}));
}

TEST(Font, WrapsAtSpacesAndInsideWordsTooWideForALineLosingNothing) {
  TestArt art;
  VideoSession video;
  Font font;
  font.load("Font", "", nullptr);
  const int width = font.textWidth("0123456789");
  const std::string texts[] = {"short", "a few words that will not fit on one line of ten",
                               std::string(253, 'h') + ":24642", "two\nlines", "\n\nblank"};
  for (const std::string& text : texts) {
    SCOPED_TRACE(text.substr(0, 20));
    std::vector<std::string> lines = font.wrap(text, width);
    std::string back;
    for (const std::string& line : lines) {
      EXPECT_LE(font.textWidth(line), width) << line;
      back += line;
    }
    std::string letters;
    for (char c : text)
      if (c != ' ' && c != '\n') letters += c;
    back.erase(std::remove(back.begin(), back.end(), ' '), back.end());
    EXPECT_EQ(back, letters) << "letters lost or added";
  }
  EXPECT_EQ(font.wrap("two\nlines", width), (std::vector<std::string>{"two", "lines"}));
  EXPECT_EQ(font.wrap("", width), (std::vector<std::string>{""}));
}
