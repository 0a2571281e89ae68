#include <algorithm>
#include <cmath>
#include <map>
#include <string>

#include "Encode.h"
#include "LayoutGeometry.h"
#include "Output.h"
#include "Palette.h"
#include "Type.h"
#include "Version.h"

// One picture with everything the generator made, for a person to look at: sprites
// enlarged, every glyph, the backgrounds scaled down, and two mock game screens built
// the way the renderer places pieces, cursors and text.
namespace {

constexpr int kSheetWidth = 1340;

const Canvas* find(const Output& out, const std::string& file) {
  for (const auto& e : out.entries())
    if (e.file == file) return &e.picture;
  return nullptr;
}

Canvas enlarged(const Canvas& c, int factor) {
  Canvas big(c.width() * factor, c.height() * factor);
  for (int y = 0; y < big.height(); ++y)
    for (int x = 0; x < big.width(); ++x) big.at(x, y) = c.at(x / factor, y / factor);
  return big;
}

// Text written with the generated glyphs, optionally tinted as the game tints fonts.
int writeText(Canvas& c, const Output& out, const std::string& text, int x, int y,
              const Colour& tint = {1, 1, 1, 1}) {
  int startX = x;
  const Canvas* zero = find(out, "Font/0.png");
  for (unsigned char ch : text) {
    if (ch == '\n') {
      y += zero->height();
      x = startX;
      continue;
    }
    char name[32];
    std::snprintf(name, sizeof name, "Font/%x.png", ch);
    const Canvas* g = find(out, name);
    if (!g) g = zero;
    Canvas tinted = *g;
    for (Colour& p : tinted.pixels) p = {p.r * tint.r, p.g * tint.g, p.b * tint.b, p.a};
    c.draw(tinted, x, y);
    x += g->width();
  }
  return x - startX;
}

int textWidth(const Output& out, const std::string& text) {
  int w = 0;
  for (unsigned char ch : text) {
    char name[32];
    std::snprintf(name, sizeof name, "Font/%x.png", ch);
    const Canvas* g = find(out, name);
    w += (g ? g : find(out, "Font/0.png"))->width();
  }
  return w;
}

// A board of pieces drawn as the renderer draws it: columns right to left, rows from
// the bottom of the screen up, each image 4 pixels up-left of its cell.
void mockBoard(Canvas& screen, const Output& out, const geometry::Rect& board, uint32_t salt,
               int cursorColumn, int held) {
  using namespace geometry;
  Dice dice(salt);
  int heights[kColumns];
  for (int& h : heights) h = 3 + int(dice.next() % 6);
  const Canvas* back = find(out, "Sprites/cursor1.png");
  int cursorX = board.x + kCell * cursorColumn;
  int cursorY = board.y + kRows * kCell - back->height();
  screen.draw(*back, cursorX, cursorY);
  for (int col = kColumns - 1; col >= 0; --col) {
    for (int row = kRows - 1; row >= 0; --row) {
      if (row >= heights[col]) continue;
      int colour = int(dice.next() % 9);
      const Canvas* piece = find(out, std::string("Sprites/") + colourName(colour) + ".1.png");
      screen.draw(*piece, board.x + col * kCell, board.y + row * kCell - kOverhang);
    }
  }
  // Mid-reaction effects on two cells.
  screen.draw(*find(out, "Sprites/sparkles.5.png"), board.x + kOverhang + 2 * kCell,
              board.y + 1 * kCell);
  screen.draw(*find(out, "Sprites/red.splat.3.png"), board.x + kOverhang + 4 * kCell,
              board.y + 0 * kCell);
  // Warning line four rows down.
  int lineY = board.y + 9 * kCell - 1;
  for (int x = board.x; x < board.x + kColumns * kCell; ++x)
    for (int k = 0; k < 3; ++k) screen.at(x, lineY + k) = {0, 0, 0, 1};
  for (int x = board.x + 5; x <= board.x + kColumns * kCell; x += 10)
    for (int k = 0; k < 5 && x + k < board.x + kColumns * kCell; ++k)
      screen.at(x + k, lineY + 1) = {1, 1, 1, 1};
  const Canvas* front = held < 0
                            ? find(out, "Sprites/cursor.front.empty.png")
                            : find(out, std::string("Sprites/cursor.") + colourName(held) + ".png");
  screen.draw(*front, cursorX, cursorY);
  writeText(screen, out, "2 chain!", board.x + 15, board.y + 30);
  writeText(screen, out, "Shield!", board.x + 15, board.y + 60, {0.5f, 0.5f, 1, 1});
}

Canvas mockOnePlayer(const Output& out) {
  Canvas screen = *find(out, "Backgrounds/1p.jpg");
  mockBoard(screen, out, geometry::kBoard1p, 7, 3, Orange);
  std::string score = "12.500";
  const auto& s = geometry::kScore1p;
  writeText(screen, out, score, s.x + s.w - textWidth(out, score), s.y);
  writeText(screen, out, "1:05\n(Level 2)", 0, 0);
  return screen;
}

Canvas mockTwoPlayer(const Output& out) {
  Canvas screen = *find(out, "Backgrounds/ocean2p.jpg");
  for (int p = 0; p < 2; ++p) {
    mockBoard(screen, out, geometry::kBoards2p[p], 11 + p, 2 + p * 3, p == 0 ? -1 : Black);
    const auto& bank = geometry::kBanks2p[p];
    for (int k = 0; k < 5 + p * 4; ++k) {
      const Canvas* piece =
          find(out, std::string("Sprites/") + colourName((k * 3 + p) % 8) + ".1.png");
      int edge = bank.y + bank.h - (k + 1) * geometry::kCell;
      // Clipped to the bank as the renderer does.
      Canvas clipped(geometry::kCell, geometry::kCell);
      for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) clipped.at(x, y) = piece->at(x + 4, y + 4);
      screen.draw(clipped, bank.x, edge);
    }
    std::string score = p == 0 ? "3.250" : "48.000";
    const auto& s = geometry::kScores2p[p];
    writeText(screen, out, score, s.x + s.w - textWidth(out, score), s.y);
  }
  writeText(screen, out, "PAUSED", 320 - textWidth(out, "PAUSED") / 2, 240, {0, 1, 0, 1});
  return screen;
}

// A menu screen as the menu loop draws it: lines one glyph height apart from (left,
// top), the selected one in the red font with the menu cursor's right edge at left.
Canvas mockMenu(const Output& out, const std::string& background,
                const std::vector<std::string>& lines, int left, int top, size_t selected) {
  Canvas screen = *find(out, background);
  const Canvas* cursor = find(out, "Sprites/menucursor.png");
  int lineHeight = find(out, "Font/0.png")->height();
  for (size_t i = 0; i < lines.size(); ++i) {
    int y = top + int(i) * lineHeight;
    bool chosen = i == selected && lines.size() > 1;
    std::string text = lines[i];
    size_t tab = text.find('\t');
    if (tab != std::string::npos) {
      writeText(screen, out, text.substr(tab + 1), left + 200, y);
      text = text.substr(0, tab);
    }
    writeText(screen, out, text, left, y, chosen ? Colour{1, 0, 0, 1} : Colour{1, 1, 1, 1});
    if (chosen) screen.draw(*cursor, left - cursor->width(), y);
  }
  return screen;
}

class Sheet {
public:
  Sheet() : canvas(kSheetWidth, 6000, rgb(58, 60, 70)), label(dejavu("DejaVuSans-Bold.ttf"), 15) {}

  void heading(const std::string& text) {
    newRow();
    y += 8;
    drawGradientLettering(canvas, label, text, 12, y + 16, rgb(255, 255, 255), rgb(220, 220, 230),
                          rgb(0, 0, 0), 1.0f, 0.0f, false);
    y += 24;
  }
  // Places a picture on a small checkerboard so its transparency shows.
  void place(const Canvas& c, int gap = 6, bool checker = true) {
    if (x + c.width() + gap > kSheetWidth) newRow();
    if (checker) {
      for (int j = 0; j < c.height(); ++j)
        for (int i = 0; i < c.width(); ++i)
          canvas.at(x + i, y + j) = ((i / 8 + j / 8) % 2) ? rgb(92, 94, 104) : rgb(120, 122, 132);
    }
    canvas.draw(c, x, y);
    x += c.width() + gap;
    rowHeight = std::max(rowHeight, c.height());
  }
  void newRow() {
    if (rowHeight) y += rowHeight + 8;
    x = 12;
    rowHeight = 0;
  }
  Canvas finish() {
    newRow();
    Canvas out(kSheetWidth, y + 8);
    for (int j = 0; j < out.height(); ++j)
      for (int i = 0; i < out.width(); ++i) out.at(i, j) = canvas.at(i, j);
    return out;
  }

  Canvas canvas;

private:
  Typeface label;
  int x = 12, y = 0, rowHeight = 0;
};

}  // namespace

void writeContactSheet(const Output& out, const std::string& path) {
  Sheet sheet;
  std::map<std::string, std::vector<const Output::Entry*>> groups;
  std::vector<std::string> order;
  for (const auto& e : out.entries()) {
    if (!groups.count(e.group)) order.push_back(e.group);
    groups[e.group].push_back(&e);
  }
  for (const std::string& group : order) {
    if (group == "Backgrounds") continue;
    sheet.heading(group + (group == "Font" ? " (actual size)" : " (shown twice their size)"));
    std::string lastPrefix;
    for (const auto* e : groups[group]) {
      // Start each animation on its own row.
      std::string prefix = e->file.substr(0, e->file.find('.'));
      if (group != "Font" && group != "Pieces" && group != "Cursors" && prefix != lastPrefix)
        sheet.newRow();
      lastPrefix = prefix;
      sheet.place(group == "Font" ? e->picture : enlarged(e->picture, 2), group == "Font" ? 1 : 6);
    }
  }
  sheet.heading("Font over a background, with tints");
  Canvas sample(640, 120);
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 640; ++x)
      sample.at(x, y) = find(out, "Backgrounds/menu.jpg")->at(x, y + 200);
  writeText(sample, out, "Practice  Survival  2p Versus  Options", 10, 4);
  writeText(sample, out, "EZ React x2!  Time Bonus!!  123.456", 10, 30, {1, 0, 0, 1});
  writeText(sample, out, "Laser charged!  Slowwwww...  You win!", 10, 56,
            {128 / 255.0f, 128 / 255.0f, 1, 1});
  writeText(sample, out, "The quick brown fox jumps: 0123456789 {}[]<>", 10, 82, {1, 1, 0, 1});
  sheet.place(sample, 6, false);

  sheet.heading("Backgrounds (half size)");
  for (const auto* e : groups["Backgrounds"]) sheet.place(e->picture.resized(320, 240), 8, false);
  sheet.heading("Mock menu screens (half size)");
  sheet.place(
      mockMenu(out, "Backgrounds/menu.jpg",
               {"Practice", "Survival", "2p Versus", "Options", "About", "Exit"}, 200, 200, 1)
          .resized(320, 240),
      8, false);
  sheet.place(
      mockMenu(out, "Backgrounds/menu.jpg",
               {"Pigmora", "Version " PIGMORA_VERSION, "A game of colours that mix and react,",
                "built from scratch by a small team.", "Pieces, sounds and music are made",
                "by programs of our own.", "Thanks for playing!", "Have fun!"},
               150, 150, 0)
          .resized(320, 240),
      8, false);
  sheet.place(mockMenu(out, "Backgrounds/Sound.jpg",
                       {"Sound FX: <Enabled>", "Music: <Enabled>", "Mixing Rate: <44khz>",
                        "Stereo: <Enabled>", "Done"},
                       200, 200, 2)
                  .resized(320, 240),
              8, false);
  sheet.place(
      mockMenu(out, "Backgrounds/Controls.jpg",
               {"P1 Left:\tLeft J1L ", "P1 Right:\tRight J1R ", "P1 Grab:\tUp J1B1 ",
                "P1 Drop:\tDown J1B2 ", "P1 PowerUp:\tRCtrl ", "P1 Pull:\tRShift ", "P2 Left:\tA ",
                "P2 Right:\tD ", "P2 Grab:\tW ", "P2 Drop:\tS ", "P2 PowerUp:\tLCtrl ",
                "P2 Pull:\tLShift ", "Pause:\tP ", "Abort Game:\tEsc ", "Factory Defaults", "Done"},
               104, 50, 4),
      8, false);
  sheet.heading("Mock game screens (actual size)");
  sheet.place(mockOnePlayer(out), 12, false);
  sheet.place(mockTwoPlayer(out), 12, false);
  writePng(path, sheet.finish(), Storage::Alpha);
}
