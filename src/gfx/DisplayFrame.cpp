// The Display's frame of a game: the game background, each player's board with its
// pieces, animations, cursor, lasers, warning line, text column and score, then the
// pause notice and the clock.

#include <algorithm>
#include <cstdio>

#include "Colour.h"
#include "Display.h"
#include "Game.h"
#include "GameLayout.h"
#include "GameLoop.h"
#include "LayoutGeometry.h"
#include "Settings.h"
#include "StateCodec.h"
#include "StatusText.h"
#include "Tuning.h"

namespace {

// A wild piece cycles through the images of the eight true colours, one per frame.
constexpr int WildFrames = Colour::Black + 1;
// The warning line: a black band with a dashed white line along it.
constexpr int WarningBand = 3, DashLength = 5, DashPeriod = 10;
// A laser beam: its width, and its blue pulsing from half to full once a second.
constexpr int BeamWidth = 5, BeamPulseMs = 1000, BeamBaseBlue = 127;
// The pause notice blinks on and off this often.
constexpr uint32_t PauseBlinkMs = 300;
// A notice over the boards stands in a panel this wide at most, its lines this far in from
// the rim; a notice on the menu's background keeps as far inside the background's panel.
constexpr int NoticePanelWidth = 400;
constexpr int NoticePadding = 10, NoticeRim = 2;
// The "Replay" marker of a replay being watched: under the boards, in the middle.
constexpr int ReplayMarkerBottom = 2;

void fill(SDL_Surface* screen, int x, int y, int w, int h, Uint32 colour) {
  SDL_Rect rect = {Sint16(x), Sint16(y), Uint16(w), Uint16(h)};
  SDL_FillRect(screen, &rect, colour);
}

void setClip(SDL_Surface* screen, int x, int y, int w, int h) {
  SDL_Rect rect = {Sint16(x), Sint16(y), Uint16(w), Uint16(h)};
  SDL_SetClipRect(screen, &rect);
}

void blitAt(SDL_Surface* image, SDL_Surface* screen, int x, int y) {
  if (!image) return;
  SDL_Rect place = {Sint16(x), Sint16(y), 0, 0};
  SDL_UpperBlit(image, nullptr, screen, &place);
}

}  // namespace

void Display::handle(int id, void* data, MessageBus*) {
  if (id == RenderFrame) renderFrame(messageData<RenderFrame>(data));
}

SDL_Surface* Display::pieceImage(int colour) {
  if (colour == Colour::Wild) {
    counterShown = true;
    return pieces[frameCounter % WildFrames];
  }
  if (colour < Colour::White || colour > Colour::Dud) return nullptr;
  return pieces[colour];
}

void Display::blitFaded(SDL_Surface* image, SDL_Rect rect, uint8_t alpha) {
  if (!image) return;
  for (int colour = 0; colour < Colour::Wild && image->format->Amask; ++colour) {
    if (image != smoothPieces[colour]) continue;
    // The nearest faded copy: nothing once the alpha rounds to none, the image itself
    // when it rounds to full.
    int step = (alpha * FadeSteps + 127) / 255;
    SDL_Surface* faded = step >= FadeSteps ? image : fadedSmoothPieces[colour][step];
    if (faded) SDL_UpperBlit(faded, nullptr, screen, &rect);
    return;
  }
  // Put the image's blending back as it was afterwards: off for a sharp-edged piece,
  // its own alpha channel for a smooth one, whose edges would otherwise turn solid.
  Uint32 blending = image->flags & SDL_SRCALPHA;
#ifdef __EMSCRIPTEN__
  // The browser's SDL keeps no surface-wide alpha in the format; ours never set one.
  Uint8 previous = SDL_ALPHA_OPAQUE;
#else
  Uint8 previous = image->format->alpha;
#endif
  SDL_SetAlpha(image, SDL_SRCALPHA, alpha);
  SDL_UpperBlit(image, nullptr, screen, &rect);
  SDL_SetAlpha(image, blending, blending ? previous : 255);
}

void Display::drawCell(SDL_Rect& rect, const Cell& cell) {
  rect.y = Sint16(rect.y - overhangY);
  if (cell.is(Cell::Falling)) {
    rect.y = Sint16(rect.y - ((cell.fall * cellHeight) >> 16) + cellHeight);
  }
  if (!cell.is(Cell::Exploding)) {
    if (cell.colour != Colour::Empty) blitAt(pieceImage(cell.colour), screen, rect.x, rect.y);
    return;
  }
  SDL_Rect own = {Sint16(rect.x + overhangX), Sint16(rect.y + overhangY), rect.w, rect.h};
  if (cell.colour == Colour::Empty) {
    // A destroyed piece fades out under its sparkles, or its explosion after a laser.
    blitFaded(pieceImage(cell.oldColour), rect, uint8_t((65535 - cell.timer) >> 8));
    Animation* burst = cell.is(Cell::LaserHit) ? explosion : sparkles;
    if (burst) burst->draw(screen, &own, uint16_t(cell.timer & 0xffff));
    return;
  }
  // A mixed piece cross-fades to its new colour while the splat of the colour that
  // spread into it plays.
  blitAt(pieceImage(cell.oldColour), screen, rect.x, rect.y);
  blitFaded(pieceImage(cell.colour), rect, uint8_t(cell.timer >> 8));
  if (cell.mixColour != Colour::Empty) {
    int32_t progress = (cell.timer * 5) / 4 - 16384;
    if (progress >= 0 && sparkles) sparkles->draw(screen, &own, uint16_t(progress));
    if (cell.mixColour >= Colour::White && cell.mixColour <= Colour::Dud &&
        splats[cell.mixColour]) {
      splats[cell.mixColour]->draw(screen, &own, uint16_t(cell.timer));
    }
  } else if (sparkles) {
    sparkles->draw(screen, &own, uint16_t(cell.timer));
  }
}

void Display::renderBank(const Player& player, const SDL_Rect& bank) {
  SDL_SetClipRect(screen, &bank);
  int edge = bank.y + bank.h;
  const auto& stored = player.bank.stored;
  for (auto pair = stored.rbegin(); pair != stored.rend(); ++pair) {
    if (edge <= bank.y) break;
    edge -= cellHeight;
    Cell plain;
    plain.colour = pair->kind;
    SDL_Rect rect = {Sint16(bank.x - overhangX), Sint16(edge), Uint16(cellWidth),
                     Uint16(cellHeight)};
    drawCell(rect, plain);
  }
}

void Display::renderWarningLine(const Player& player, int x0, int yTop) {
  const Board& board = player.board;
  int lineRow = board.topRow() - player.owedRows();
  int y = yTop + lineRow * cellHeight - 1;
  int right = x0 + board.width * cellWidth;
  fill(screen, x0, y, board.width * cellWidth, WarningBand, SDL_MapRGB(screen->format, 0, 0, 0));
  Uint32 white = SDL_MapRGB(screen->format, 255, 255, 255);
  for (int x = x0 + DashLength; x <= right; x += DashPeriod) {
    int w = std::min(DashLength, right - x);
    if (w > 0) fill(screen, x, y + 1, w, 1, white);
  }
}

void Display::renderPlayer(const Game& game, const GameLayout& layout, int i) {
  const Player& player = game.players[i];
  const Board& board = player.board;
  // In a network game each player sees their own board on the left.
  const int place = i ^ layout.leftPlayer;
  const int x0 = layout.boardRects[place].x, y0 = layout.boardRects[place].y;
  const int W = board.width, H = board.height, cw = cellWidth, ch = cellHeight;
  const int yTop = y0 + ((board.riseOffset * ch) >> 16);

  if (!layout.bankRects.empty()) renderBank(player, layout.bankRects[place]);

  SDL_SetClipRect(screen, nullptr);
  const int cursorX = x0 + ((cw * player.cursorPos) >> 16);
  const int cursorY = y0 + H * ch - playerCursor->h;
  blitAt(playerCursor, screen, cursorX, cursorY);

  const SDL_Rect boardArea = {Sint16(x0), Sint16(y0), Uint16(W * cw + 30), Uint16(H * ch)};
  SDL_SetClipRect(screen, &boardArea);
  for (int column = W - 1; column >= 0; --column) {
    const int x = x0 + column * cw;
    if (column == player.flightColumn) {
      // Pieces in flight vanish into the cursor 1.5 rows above the board's bottom edge,
      // and pass under the pieces of their column.
      setClip(screen, 0, y0, 640, int((H - 1.5) * ch));
      for (int k = player.flightCount - 1; k >= 0; --k) {
        Cell flying;
        flying.flags = Cell::Falling;
        flying.colour = player.heldColour;
        flying.fall = player.flightPos;
        SDL_Rect rect = {Sint16(x0 + player.flightColumn * cw),
                         Sint16(yTop + (player.flightRow + k) * ch), Uint16(cw), Uint16(ch)};
        drawCell(rect, flying);
      }
      SDL_SetClipRect(screen, &boardArea);
    }
    // Row 0 (the rules' bottom row, where new rows come in) is drawn at the top of the screen.
    for (int row = H - 1; row >= 0; --row) {
      SDL_Rect rect = {Sint16(x), Sint16(yTop + row * ch), Uint16(cw), Uint16(ch)};
      drawCell(rect, board.rows[row][column]);
    }
  }

  const Uint32 beam =
      SDL_MapRGB(screen->format, 0, 0,
                 BeamBaseBlue + ((player.elapsed % BeamPulseMs) * BeamBaseBlue) / BeamPulseMs);
  for (const LaserShot& shot : player.lasers) {
    int x = int((shot.column + 0.5) * cw + (x0 + overhangX) - 2.0);
    int y = y0 + ((shot.pos * ch) >> 16) + shot.row * ch;
    fill(screen, x, y, BeamWidth, ch, beam);
  }

  renderWarningLine(player, x0, yTop);

  SDL_SetClipRect(screen, nullptr);
  SDL_Surface* front = emptyCursor;
  if (player.heldCount != 0) {
    const bool wild = player.heldColour == Colour::Wild;
    counterShown = counterShown || wild;
    int held = wild ? frameCounter % WildFrames : player.heldColour;
    if (held >= Colour::White && held <= Colour::Dud) front = colourCursors[held];
  }
  blitAt(front, screen, cursorX, cursorY);

  const bool playing = player.alive && game.state != Over;
  const auto lines = playing ? statusLines(player, x0, y0, fonts)
                             : resultLines(player, layout.mode, x0, y0,
                                           outcomeOf(game, i, layout.leaver, layout.noWinner));
  for (const TextLine& line : lines) drawText(line.text, line.x, line.y, &fonts[line.font]);

  char score[64];
  std::snprintf(score, sizeof score, "%.03f", player.score);
  const SDL_Rect& scoreRect = layout.scoreRects[place];
  drawText(score, scoreRect.x + scoreRect.w - normalFont->textWidth(score), scoreRect.y,
           normalFont);
}

void Display::renderClock(const Game& game, const GameLayout& layout) {
  const Player& first = game.players[0];
  ClockTime time = clockTime(first.elapsed);
  char text[64];
  if (layout.mode == GameMode::Survival) {
    std::snprintf(text, sizeof text, "%u:%02u\n(Level %d)", time.minutes, time.seconds,
                  first.level - (StartLevel - 1));
  } else {
    std::snprintf(text, sizeof text, "%u:%02u\n", time.minutes, time.seconds);
  }
  drawText(text, layout.clockRect.x, layout.clockRect.y, normalFont);
}

int Display::drawCentred(const std::string& text, int y, Font* font, int wrapWidth) {
  int top = y;
  for (const std::string& line : font->wrap(text, wrapWidth)) {
    drawText(line, width / 2 - font->textWidth(line) / 2, y, font);
    y += font->lineHeight();
  }
  return y - top;
}

void Display::drawNoticePanel(const std::string& text) {
  Font& font = fonts[GreenFont];
  std::vector<std::string> lines = font.wrap(text, NoticePanelWidth - 2 * NoticePadding);
  int widest = 0;
  for (const std::string& line : lines) widest = std::max(widest, font.textWidth(line));
  int textHeight = int(lines.size()) * font.lineHeight();
  SDL_Rect rim = {Sint16(width / 2 - widest / 2 - NoticePadding - NoticeRim),
                  Sint16(height / 2 - NoticePadding - NoticeRim),
                  Uint16(widest + 2 * (NoticePadding + NoticeRim)),
                  Uint16(textHeight + 2 * (NoticePadding + NoticeRim))};
  SDL_FillRect(screen, &rim, SDL_MapRGB(screen->format, 255, 180, 220));
  SDL_Rect inside = {Sint16(rim.x + NoticeRim), Sint16(rim.y + NoticeRim),
                     Uint16(rim.w - 2 * NoticeRim), Uint16(rim.h - 2 * NoticeRim)};
  SDL_FillRect(screen, &inside, SDL_MapRGB(screen->format, 18, 12, 44));
  drawCentred(text, height / 2, &font, NoticePanelWidth - 2 * NoticePadding);
}

namespace {

// The digest of a notice, told apart from any frame's by what it starts with.
uint64_t noticePicture(const SDL_Surface* screen, const std::string& text) {
  StateEncoder<HashSink> digest;
  digest(uintptr_t(screen));
  digest(int32_t(-1));
  for (char c : text) digest(c);
  return digest.sink.hash;
}

}  // namespace

uint64_t Display::framePicture(const GameLoop& loop) const {
  const Game& game = loop.game;
  const GameLayout* layout = static_cast<const GameLayout*>(loop.layout);
  StateEncoder<HashSink> digest;
  digest(uintptr_t(screen));
  digest(uintptr_t(&loop));
  digest(uintptr_t(layout));
  digest(int32_t(layout->leftPlayer));
  digest(int32_t(game.playerCount()));
  for (int i = 0; i < game.playerCount(); ++i) digest(game.players[i]);
  digest(game.state);
  digest(game.paused);
  digest(loop.held);
  if (game.paused || loop.held) digest((loop.clock() / PauseBlinkMs) % 2);
  digest(int32_t(layout->leaver));
  digest(layout->noWinner);
  digest(layout->replay);
  for (char c : layout->watching) digest(c);
  digest(int32_t(loop.notice.size()));
  for (char c : loop.notice) digest(c);
  digest(settings.DisplayTime);
  digest(pieces == smoothPieces);
  return digest.sink.hash;
}

void Display::showNotice(const std::string& text) {
  if (onScreen(noticePicture(screen, text))) return;
  SDL_SetClipRect(screen, nullptr);
  if (menuBackground)
    SDL_UpperBlit(menuBackground, nullptr, screen, nullptr);
  else
    SDL_FillRect(screen, nullptr, 0);
  drawCentred(text, height / 3, normalFont, geometry::kMenuPanel.w - 2 * NoticePadding);
  shown.pixels.clear();
  SDL_Flip(screen);
}

bool Display::renderFrame(GameLoop* loop) {
  // A wild piece on screen takes a new colour with every frame.
  if (onScreen(framePicture(*loop)) && !counterShown) return false;
  drawFrame(loop);
  if (samePixels()) return false;
  SDL_Flip(screen);
  return true;
}

void Display::drawFrame(GameLoop* loop) {
  GameLayout& layout = *static_cast<GameLayout*>(loop->layout);
  const Game& game = loop->game;
  counterShown = false;
  SDL_SetClipRect(screen, nullptr);
  if (layout.background) {
    if (modeChanged || !layout.convertedBackground) {
      modeChanged = 0;
      SDL_FreeSurface(layout.convertedBackground);
      layout.convertedBackground = SDL_ConvertSurface(layout.background, screen->format, 0);
    }
  }
  if (layout.convertedBackground) {
    blitAt(layout.convertedBackground, screen, 0, 0);
  } else {
    SDL_FillRect(screen, nullptr, 0);
  }

  for (int i = 0; i < game.playerCount(); ++i) renderPlayer(game, layout, i);

  // The notice blinks by the clock, so it keeps its pace at any frame rate.
  // A replay held by its viewer is paused as far as the player can tell.
  if ((game.paused || loop->held) && (loop->clock() / PauseBlinkMs) % 2 == 1) {
    Font& green = fonts[GreenFont];
    drawText("PAUSED", width / 2 - green.textWidth("PAUSED") / 2, height / 2, &green);
  }
  if (!loop->notice.empty()) drawNoticePanel(loop->notice);
  std::string marker = layout.replay ? "Replay" : layout.watching;
  if (!marker.empty())
    drawText(marker, width / 2 - normalFont->textWidth(marker) / 2,
             height - normalFont->lineHeight() - ReplayMarkerBottom, normalFont);
  ++frameCounter;
  if (settings.DisplayTime) renderClock(game, layout);
}
