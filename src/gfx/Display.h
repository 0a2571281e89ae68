#pragma once

#include <SDL.h>

#include <string>
#include <vector>

#include "Animation.h"
#include "Colour.h"
#include "FadingAnimation.h"
#include "Font.h"
#include "Listener.h"

class Game;
class GameLoop;
class Player;
struct Cell;
class GameLayout;

// The one graphics object: the window, every image the game and the menus draw, the
// fonts, and the frame renderer. Created and loaded once by the main menu, subscribed
// to RenderFrame by each game.
class Display : public Listener {
public:
  Display();
  ~Display() override;
  Display(const Display&) = delete;
  Display& operator=(const Display&) = delete;

  SDL_Surface* menuCursor = nullptr;
  SDL_Surface* menuBackground = nullptr;  // may stay null: the menu then has a plain screen
  int width = 640;
  int height = 480;
  int cellWidth = 32;
  int cellHeight = 32;
  int overhangX = 0;  // how far a piece image reaches left of its cell
  int overhangY = 0;  // and above it
  int frameCounter = 0;
  int fullscreen = 0;   // the video mode in force
  int modeChanged = 0;  // set with every new mode: the game background needs converting
  SDL_Surface* smoothPieces[Colour::Wild] = {};
  SDL_Surface* hardPieces[Colour::Wild] = {};
  SDL_Surface** pieces = smoothPieces;  // the set the Antialias setting chose
  // SDL ignores a surface's own alpha value when the image has an alpha channel, as the
  // smooth pieces do, so they fade through copies whose alpha channel is scaled down,
  // made once at load: step s is s / FadeSteps of the image's opacity.
  static constexpr int FadeSteps = 32;
  SDL_Surface* fadedSmoothPieces[Colour::Wild][FadeSteps] = {};  // step 0 stays null
  Animation* sparkles = nullptr;
  Animation* explosion = nullptr;
  FadingAnimation* splats[Colour::Wild] = {};  // only the six colours that spread have one
  SDL_Surface* playerCursor = nullptr;
  SDL_Surface* emptyCursor = nullptr;
  SDL_Surface* colourCursors[Colour::Wild] = {};
  SDL_Surface* screen = nullptr;
  Font* normalFont;
  Font* highlightFont;
  Font fonts[7];  // plain, red, yellow, orange, light blue, purple, green

  // How long the warning and the title pictures stay up at start-up, in ms.
  int splashTime = 2000;

  // RenderFrame: draws the loop's game as its layout says.
  void handle(int id, void* data, MessageBus* bus) override;

  // Opens the window, shows the warning, loads every image and font, shows the title.
  // Throws Error when something the drawing needs is missing or the window cannot open.
  int loadGraphics();
  // Takes up the Fullscreen and Antialias settings.
  void applyVideoSettings();
  // A copy of the image in the screen's format with a magenta key where it was mostly
  // transparent, for the sharp-edged piece set.
  SDL_Surface* makeHardEdged(SDL_Surface* source);
  // A copy of an image with an alpha channel, every pixel's alpha scaled by step / FadeSteps.
  SDL_Surface* makeFaded(SDL_Surface* source, int step);
  void drawText(const std::string& text, int x, int y, Font* font);
  // Lines centred across the screen, the first at y.
  // Each line centred, wrapped to `wrapWidth`; the height it took.
  int drawCentred(const std::string& text, int y, Font* font, int wrapWidth);
  // A notice over the boards, in a panel of its own that its lines never leave.
  void drawNoticePanel(const std::string& text);
  // A screen of its own with a few lines on the menu's background: a network game's
  // "waiting" and "connecting", and what went wrong. Drawn and shown only when that text
  // is not on screen already, so a waiting loop may call it on every pass.
  void showNotice(const std::string& text);

  // The playfield, drawn whole and flipped when it looks different from the picture on
  // screen. A frame drawn from the same state as that picture (a paused game between
  // blinks, a network game waiting for the other side, a replay on hold) is not even
  // drawn; one whose state moved on without a pixel changing (an idle game between the
  // seconds of its clock) is drawn but not flipped. True when a new picture was shown.
  bool renderFrame(GameLoop* loop);
  // Draws the playfield into the screen surface, whatever is on screen; shows nothing.
  void drawFrame(GameLoop* loop);
  // The picture on screen is no longer the display's own (the menus drew over it): the
  // next frame or notice is drawn and shown whatever it holds.
  void forgetShown() { shown = Shown(); }
  void renderPlayer(const Game& game, const GameLayout& layout, int index);
  // Draws a cell whose board place is rect; rect.y is moved to where the image went.
  void drawCell(SDL_Rect& rect, const Cell& cell);

private:
  SDL_Surface* icon = nullptr;
  // What is on screen: the digest of everything its frame or notice was drawn from, and
  // the screen's bytes when a frame put them there.
  struct Shown {
    bool valid = false;
    uint64_t picture = 0;
    std::vector<Uint8> pixels;
  } shown;
  // Whether the last frame drawn depended on frameCounter, so that the next one differs
  // whatever else holds still.
  bool counterShown = false;
  uint64_t framePicture(const GameLoop& loop) const;
  // True when the picture is on screen already and the window has not lost it since;
  // otherwise takes it as the one shown.
  bool onScreen(uint64_t picture);
  // True when the screen surface holds the bytes on screen already; otherwise keeps them
  // as the ones shown.
  bool samePixels();
  // The piece image of a colour; a wild piece takes a new true colour every frame.
  SDL_Surface* pieceImage(int colour);
  void blitFaded(SDL_Surface* image, SDL_Rect rect, uint8_t alpha);
  void renderBank(const Player& player, const SDL_Rect& bank);
  void renderWarningLine(const Player& player, int x0, int yTop);
  void renderClock(const Game& game, const GameLayout& layout);
};

// The display of the running program, set by whoever creates it.
extern Display* theDisplay;
