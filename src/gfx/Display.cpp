#include "Display.h"

#include <SDL_image.h>

#include <atomic>
#include <cstring>
#include <memory>
#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

#include "DirectoryResourceSource.h"
#include "Error.h"
#include "ImageFiles.h"
#include "LayoutGeometry.h"
#include "Pixels.h"
#include "Settings.h"

Display* theDisplay = nullptr;

namespace {

// Cursor images are cut out with cyan.
void keyCyan(SDL_Surface* image, const SDL_PixelFormat* format) {
  SDL_SetColorKey(image, SDL_SRCCOLORKEY | SDL_RLEACCEL, SDL_MapRGB(format, 0, 255, 255));
}

// Blits a whole picture to the top-left corner and shows it; a missing one leaves the
// screen black, which is all it would have shown anyway.
void showPicture(SDL_Surface* screen, SDL_Surface* picture) {
  if (picture) {
    SDL_Rect origin = {0, 0, 0, 0};
    SDL_UpperBlit(picture, nullptr, screen, &origin);
  }
  SDL_Flip(screen);
#ifdef __EMSCRIPTEN__
  // A page shows its canvas only when the browser has its turn: the warning is seen while
  // the rest of the pictures load, not after.
  emscripten_sleep(0);
#endif
}

// Set when the window has lost its picture (uncovered on a desktop that keeps no copy,
// shown again): whatever is on screen is then drawn and shown anew, still or not.
std::atomic<bool> windowExposed{false};

#ifndef __EMSCRIPTEN__
int noteExposure(const SDL_Event* event) {
  if (event->type == SDL_VIDEOEXPOSE) windowExposed = true;
  return 1;
}
#endif

void waitUntil(Uint32 start, int duration) {
  Uint32 passed = SDL_GetTicks() - start;
  if (duration > 0 && passed < Uint32(duration)) SDL_Delay(Uint32(duration) - passed);
}

}  // namespace

Display::Display() : normalFont(&fonts[0]), highlightFont(&fonts[1]) {}

Display::~Display() {
  for (int i = 0; i < 9; ++i) {
    SDL_FreeSurface(smoothPieces[i]);
    SDL_FreeSurface(hardPieces[i]);
    for (SDL_Surface* faded : fadedSmoothPieces[i]) SDL_FreeSurface(faded);
    SDL_FreeSurface(colourCursors[i]);
    delete splats[i];
  }
  delete sparkles;
  delete explosion;
  SDL_FreeSurface(playerCursor);
  SDL_FreeSurface(emptyCursor);
  SDL_FreeSurface(menuCursor);
  SDL_FreeSurface(menuBackground);
  SDL_FreeSurface(icon);
  if (theDisplay == this) theDisplay = nullptr;
}

void Display::applyVideoSettings() {
  if (settings.Fullscreen != fullscreen) {
    int previous = fullscreen;
    bool hadWindow = screen != nullptr;
    auto setMode = [this](int full) {
      return SDL_SetVideoMode(width, height, 16,
                              full ? SDL_FULLSCREEN | SDL_DOUBLEBUF : SDL_DOUBLEBUF);
    };
    fullscreen = settings.Fullscreen;
    SDL_Surface* mode = setMode(fullscreen);
    if (!mode && hadWindow) {
      // The mode asked for from the options screen cannot be had: stay in the one that
      // worked and let the setting say so, rather than go on without a screen.
      std::string reason = SDL_GetError();
      fullscreen = settings.Fullscreen = previous;
      mode = setMode(fullscreen);
      if (!mode) reason += std::string("; ") + SDL_GetError();
      if (!mode) throw Error{"Unable to set the video mode: " + reason};
    }
    if (!mode) {
      throw Error{"Unable to set the video mode " + std::to_string(width) + "x" +
                  std::to_string(height) + "x16: " + SDL_GetError()};
    }
    screen = mode;
    SDL_ShowCursor(fullscreen ? 0 : 1);
#ifndef __EMSCRIPTEN__
    // (A page's canvas keeps its picture.)
    SDL_SetEventFilter(noteExposure);
#endif
    modeChanged = 1;
    forgetShown();
  }
  pieces = settings.Antialias ? smoothPieces : hardPieces;
}

bool Display::onScreen(uint64_t picture) {
  if (windowExposed.exchange(false)) forgetShown();
  if (shown.valid && shown.picture == picture) return true;
  shown.valid = true;
  shown.picture = picture;
  return false;
}

bool Display::samePixels() {
  SDL_LockSurface(screen);
  const Uint8* bytes = static_cast<const Uint8*>(screen->pixels);
  const size_t size = size_t(screen->pitch) * size_t(screen->h);
  bool same = shown.pixels.size() == size && std::memcmp(bytes, shown.pixels.data(), size) == 0;
  if (!same) shown.pixels.assign(bytes, bytes + size);
  SDL_UnlockSurface(screen);
  return same;
}

SDL_Surface* Display::makeHardEdged(SDL_Surface* source) {
  const SDL_PixelFormat* format = screen->format;
  SDL_Surface* hard =
      SDL_CreateRGBSurface(SDL_SRCCOLORKEY | SDL_RLEACCEL, source->w, source->h,
                           format->BitsPerPixel, format->Rmask, format->Gmask, format->Bmask, 0);
  if (!hard) throw Error{std::string("Unable to create an image: ") + SDL_GetError()};
  SDL_LockSurface(source);
  SDL_LockSurface(hard);
  const int inBytes = source->format->BytesPerPixel;
  const int outBytes = hard->format->BytesPerPixel;
  const Uint32 magenta = SDL_MapRGB(hard->format, 255, 0, 255);
  for (int y = 0; y < source->h; ++y) {
    const Uint8* in = static_cast<const Uint8*>(source->pixels) + y * source->pitch;
    Uint8* out = static_cast<Uint8*>(hard->pixels) + y * hard->pitch;
    for (int x = 0; x < source->w; ++x, in += inBytes, out += outBytes) {
      Uint32 pixel = readPixel(in, inBytes);
      Uint8 r, g, b, a;
      SDL_GetRGBA(pixel, source->format, &r, &g, &b, &a);
      Uint32 result = a < 128 ? magenta : SDL_MapRGB(hard->format, r, g, b);
      writePixel(out, outBytes, result);
    }
  }
  SDL_UnlockSurface(hard);
  SDL_UnlockSurface(source);
  SDL_SetColorKey(hard, SDL_SRCCOLORKEY | SDL_RLEACCEL, magenta);
  return hard;
}

SDL_Surface* Display::makeFaded(SDL_Surface* source, int step) {
  SDL_Surface* faded = SDL_ConvertSurface(source, source->format, source->flags);
  if (!faded) throw Error{std::string("Unable to create an image: ") + SDL_GetError()};
  SDL_LockSurface(faded);
  const int bytes = faded->format->BytesPerPixel;
  for (int y = 0; y < faded->h; ++y) {
    Uint8* at = static_cast<Uint8*>(faded->pixels) + y * faded->pitch;
    for (int x = 0; x < faded->w; ++x, at += bytes) {
      Uint8 r, g, b, a;
      SDL_GetRGBA(readPixel(at, bytes), faded->format, &r, &g, &b, &a);
      writePixel(at, bytes, SDL_MapRGBA(faded->format, r, g, b, Uint8(a * step / FadeSteps)));
    }
  }
  SDL_UnlockSurface(faded);
  SDL_SetAlpha(faded, SDL_SRCALPHA, 0);
  return faded;
}

void Display::drawText(const std::string& text, int x, int y, Font* font) {
  font->draw(screen, text, int16_t(x), int16_t(y));
}

int Display::loadGraphics() {
  // A window without its icon is still a window.
  icon = loadImageFile("./Sprites/icon.png", false);
  if (icon) SDL_WM_SetIcon(icon, nullptr);

  width = 640;
  height = 480;
  frameCounter = 0;
  fullscreen = !settings.Fullscreen;  // so that a mode is always set below

  std::unique_ptr<ResourceSource> sprites(openResourceLibrary("Sprites"));
  SDL_Surface* warning = loadImageFile("./Backgrounds/Warning.png", false);
  SDL_Surface* title = loadImageFile("./Backgrounds/title.jpg", false);
  std::unique_ptr<SDL_Surface, void (*)(SDL_Surface*)> warningOwner(warning, SDL_FreeSurface);
  std::unique_ptr<SDL_Surface, void (*)(SDL_Surface*)> titleOwner(title, SDL_FreeSurface);

  applyVideoSettings();
  showPicture(screen, warning);
  warningOwner.reset();
  Uint32 warningShown = SDL_GetTicks();

  for (int i = 0; i < 9; ++i) {
    std::string colour = geometry::kPieceNames[i];
    smoothPieces[i] = inScreenFormat(loadLibraryImage(sprites.get(), colour + ".1.png"));
    if (i >= 1 && i <= 6) {
      splats[i] = new FadingAnimation;
      splats[i]->loadFrames(sprites.get(), (colour + ".splat.%d.png").c_str(), 5, 0, 0, 0);
    }
    SDL_SetAlpha(smoothPieces[i], SDL_SRCALPHA, 0);
    hardPieces[i] = makeHardEdged(smoothPieces[i]);
    if (smoothPieces[i]->format->Amask)
      for (int step = 1; step < FadeSteps; ++step)
        fadedSmoothPieces[i][step] = makeFaded(smoothPieces[i], step);
    colourCursors[i] = loadLibraryImage(sprites.get(), "cursor." + colour + ".png");
    keyCyan(colourCursors[i], colourCursors[i]->format);
  }

  menuBackground = loadImageFile("./Backgrounds/menu.jpg", false);

  explosion = new Animation;
  explosion->loadFrames(sprites.get(), "explosion.%d.png", 6, 0, 0, -1);
  sparkles = new Animation;
  sparkles->loadFrames(sprites.get(), "sparkles.%d.png", 11, 0, 0, -1);

  pieces = settings.Antialias ? smoothPieces : hardPieces;

  playerCursor = loadImageFile("./Sprites/cursor1.png", true);
  menuCursor = loadImageFile("./Sprites/menucursor.png", true);
  emptyCursor = loadImageFile("./Sprites/cursor.front.empty.png", true);
  keyCyan(playerCursor, playerCursor->format);
  keyCyan(emptyCursor, playerCursor->format);

  cellWidth = cellHeight = 32;
  overhangX = pieces[0]->w - 32;
  overhangY = pieces[0]->h - 32;

  static const uint8_t Red[3] = {255, 0, 0}, Green[3] = {0, 255, 0}, LightBlue[3] = {128, 128, 255},
                       Yellow[3] = {255, 255, 0}, Orange[3] = {255, 128, 0},
                       Purple[3] = {180, 64, 255};
  const struct {
    int entry;
    const uint8_t* tint;
  } fontOrder[7] = {{0, nullptr}, {1, Red},    {6, Green}, {4, LightBlue},
                    {2, Yellow},  {3, Orange}, {5, Purple}};
  for (const auto& font : fontOrder) {
    // Every line of text falls back on glyph 0; a font without it cannot draw.
    if (fonts[font.entry].load("Font", "", font.tint) != 0) {
      throw Error{"Unable to load font glyph </0.png> from ./Font/"};
    }
  }

  waitUntil(warningShown, splashTime);
  sprites.reset();

  showPicture(screen, title);
  titleOwner.reset();
  if (splashTime > 0) SDL_Delay(Uint32(splashTime));
  return screen ? 1 : 0;
}
