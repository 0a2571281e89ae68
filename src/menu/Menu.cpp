#include "Menu.h"

#include <SDL_image.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

#include "Display.h"
#include "Font.h"
#include "InputPoller.h"
#include "QuitPassOn.h"
#include "Settings.h"
#include "SoundManager.h"

std::map<int, int>& menuAxisTable() {
  static std::map<int, int> table;
  return table;
}

Menu::Menu(const char* label, std::vector<MenuItem*> items, const char* backgroundName, Sint16 left,
           Sint16 top)
    : MenuItem(label), left(left), top(top), items(std::move(items)) {
  if (!backgroundName) return;
  std::string path = std::string("./Backgrounds/") + backgroundName;
  background = IMG_Load(path.c_str());
  if (!background)
    std::fprintf(stderr, "Pigmora: cannot show %s (%s); the menu keeps the one behind it\n",
                 path.c_str(), IMG_GetError());
}

Menu::~Menu() {
  for (auto item = items.rbegin(); item != items.rend(); ++item) delete *item;
  if (background && !borrowedBackground) SDL_FreeSurface(background);
}

int Menu::activate() {
  run();
  return 1;
}

void Menu::clickSound() {
  if (soundManager) soundManager->playEffect("MenuClick");
}

int Menu::activateItem(MenuItem* item, int savedPointer) {
  SDL_ShowCursor(savedPointer);
  return item->activate();
}

void Menu::run() {
  for (MenuItem* item : items) item->parent = this;
  // Whatever waited in the queue is dropped, but a quit request (a SIGTERM during the
  // start-up pictures, say) still ends the program.
  SDL_Event event;
  bool quitAsked = false;
  while (SDL_PollEvent(&event)) quitAsked = quitAsked || event.type == SDL_QUIT;
  if (quitAsked) passOnQuit();
  selected = 0;
  int keepOpen = 1;
  int savedPointer = SDL_ShowCursor(SDL_QUERY);
  SDL_ShowCursor(SDL_ENABLE);
  menuAxisTable();

  bool skipRedraw = false;
  while (keepOpen) {
    // Asked on every pass; the sound manager ignores a request for what already plays.
    if (soundManager) soundManager->playMusic("MenuMusic");
    if (!skipRedraw) redraw();
    skipRedraw = false;
    if (!SDL_WaitEvent(&event)) continue;
    skipRedraw = handle(event, keepOpen, savedPointer);
  }
  theDisplay->applyVideoSettings();
  if (soundManager) soundManager->musicSettingChanged();
#ifdef __EMSCRIPTEN__
  // A page is closed without asking the game: what the player chose is kept at once, and
  // the page writes it to the browser's storage.
  settings.saveSettings();
  EM_ASM({
    if (Module.persist) Module.persist();
  });
#endif
}

namespace {

// Pads in the standard layout (the start-up asks SDL for it unless the player chose
// otherwise) bring their d-pad as buttons. In a menu its up and down move the highlight,
// as the stick does, rather than choosing the line.
constexpr int DpadUpButton = 11;
constexpr int DpadDownButton = 12;

int dpadDirection(int button) {
  const char* layout = std::getenv("SDL12COMPAT_USE_GAME_CONTROLLERS");
  if (!layout || std::string(layout) != "1") return 0;
  if (button == DpadUpButton) return -1;
  if (button == DpadDownButton) return 1;
  return 0;
}

}  // namespace

// Returns true when the event changed nothing worth a redraw.
bool Menu::handle(const SDL_Event& event, int& keepOpen, int savedPointer) {
  const unsigned count = static_cast<unsigned>(items.size());
  switch (event.type) {
    case SDL_KEYDOWN: {
      const SDL_keysym& key = event.key.keysym;
      if ((key.mod & KMOD_ALT) && key.sym == SDLK_F4) std::exit(0);
      if ((key.mod & KMOD_CTRL) && key.sym == SDLK_c) std::exit(0);
      if (key.sym == SDLK_RETURN) {
        keepOpen = activateItem(items[selected], savedPointer);
      } else if (key.sym == SDLK_UP) {
        selected = (selected + count - 1) % count;
        clickSound();
      } else if (key.sym == SDLK_DOWN) {
        selected = (selected + 1) % count;
        clickSound();
      }
      return false;
    }
    case SDL_MOUSEMOTION: {
      if (event.motion.xrel == 0 && event.motion.yrel == 0) return false;
      for (unsigned i = 0; i < count; ++i) {
        if (!items[i]->contains(event.motion.x, event.motion.y)) continue;
        if (i == selected) return true;
        clickSound();
        selected = i;
        return false;
      }
      return false;
    }
    case SDL_MOUSEBUTTONDOWN:
      for (unsigned i = 0; i < count; ++i) {
        if (!items[i]->contains(event.button.x, event.button.y)) continue;
        selected = i;
        clickSound();
        redraw();
        SDL_ShowCursor(savedPointer);
        keepOpen = items[i]->click();
      }
      return false;
    case SDL_JOYAXISMOTION: {
      int direction = 0;
      if (!axisTurned(menuAxisTable(), event.jaxis, direction)) return true;
      selected = (selected + count + direction) % count;
      if (direction != 0) clickSound();
      return false;
    }
    case SDL_JOYBUTTONDOWN: {
      int direction = dpadDirection(event.jbutton.button);
      if (direction != 0) {
        selected = (selected + count + direction) % count;
        clickSound();
        return false;
      }
      keepOpen = activateItem(items[selected], savedPointer);
      return false;
    }
    case SDL_QUIT:
      passOnQuit();
      keepOpen = 0;
      return true;
    case SDL_VIDEOEXPOSE:  // the window lost its picture
      return false;
    default:
      return true;
  }
}

void Menu::redraw() {
  SDL_Surface* screen = theDisplay->screen;
  theDisplay->forgetShown();
  SDL_Surface* shown = nullptr;
  for (const Menu* menu = this; menu && !shown; menu = menu->parent) shown = menu->background;
  if (shown) {
    SDL_Rect origin{0, 0, 0, 0};
    SDL_BlitSurface(shown, nullptr, screen, &origin);
  } else {
    SDL_FillRect(screen, nullptr, 0);
  }

  Uint16 lineHeight = static_cast<Uint16>(theDisplay->normalFont->lineHeight());
  Sint16 lineY = top;
  for (unsigned i = 0; i < items.size(); ++i) {
    if (i == selected && items.size() >= 2) {
      items[i]->draw(screen, left, lineY, lineHeight, theDisplay->highlightFont);
      SDL_Rect cursorAt{static_cast<Sint16>(left - theDisplay->menuCursor->w), lineY, 0, 0};
      SDL_BlitSurface(theDisplay->menuCursor, nullptr, screen, &cursorAt);
    } else {
      items[i]->draw(screen, left, lineY, lineHeight, theDisplay->normalFont);
    }
    lineY = static_cast<Sint16>(lineY + lineHeight);
  }
  SDL_Flip(screen);
}
