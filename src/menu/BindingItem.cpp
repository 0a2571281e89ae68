#include "BindingItem.h"

#include "Font.h"
#include "InputPoller.h"
#include "KeyNames.h"
#include "Menu.h"
#include "QuitPassOn.h"
#include "Settings.h"

std::map<int, int> CaptureAxisStates;

namespace {

// Runs on SDL's timer thread: it only wakes the capture loop for the next blink.
Uint32 blink(Uint32 interval, void*) {
  SDL_Event tick{};
  tick.type = SDL_USEREVENT;
  SDL_PushEvent(&tick);
  return interval;
}

}  // namespace

BindingItem::~BindingItem() {
  if (blinkTimer) SDL_RemoveTimer(blinkTimer);
}

void BindingItem::draw(SDL_Surface* screen, Sint16 atX, Sint16 atY, Uint16 lineHeight, Font* font) {
  boundText = settings.bindingText(command, player);
  ++blinkCount;
  placeAt(atX, atY, lineHeight);
  font->draw(screen, label + ":", x, y);
  std::string column = boundText + (capturing && (blinkCount & 1) ? "_" : "");
  font->draw(screen, column, static_cast<Sint16>(x + BoundTextOffset), y);
  width = static_cast<Uint16>(font->textWidth(label + ":    " + boundText));
}

int BindingItem::activate() {
  blinkTimer = SDL_AddTimer(BlinkInterval, blink, nullptr);
  capturing = true;
  if (parent) parent->redraw();
  SDL_Event event;
  for (;;) {
    if (!SDL_WaitEvent(&event)) continue;
    if (capture(event)) break;
  }
  finish();
  return 1;
}

bool BindingItem::capture(const SDL_Event& event) {
  Binding binding{command, player};
  switch (event.type) {
    case SDL_USEREVENT:
      if (parent) parent->redraw();
      return false;
    case SDL_KEYDOWN:
      // Every key binds, Escape included: there is no key that cancels.
      settings.KeyBindings[event.key.keysym.sym] = binding;
      return true;
    case SDL_JOYAXISMOTION: {
      int direction = 0;
      if (!axisTurned(CaptureAxisStates, event.jaxis, direction) || direction == 0) return false;
      settings.JoystickBindings[axisInput(event.jaxis, direction).code()] = binding;
      return true;
    }
    case SDL_JOYBUTTONDOWN:
      settings.JoystickBindings[buttonInput(event.jbutton).code()] = binding;
      return true;
    case SDL_QUIT:
      passOnQuit();
      return true;
    default:
      return false;
  }
}

void BindingItem::finish() {
  SDL_RemoveTimer(blinkTimer);
  blinkTimer = {};
  capturing = false;
}
