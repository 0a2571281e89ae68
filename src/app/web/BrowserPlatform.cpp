// What the desktop build gets from the X server and from the full SDL, made for a web
// page: the page has no screen saver to hold off and no display to lose, and the SDL that
// the browser build brings lacks the blocking event wait and the mixer's output effects.
#include <SDL.h>
#include <SDL_mixer.h>
#include <emscripten.h>

#include <unordered_map>

#include "Desktop.h"
#include "LostDisplay.h"
#include "PowerSaving.h"

namespace {
// How long a blocking wait for an event gives the browser before looking again.
constexpr int EventLookMs = 10;
// The colour bytes of a canvas pixel, without its alpha.
constexpr Uint32 RgbBits = 0x00ffffff;
// What Web Audio commonly runs at.
constexpr int BrowserRate = 48000;
// The browser's SDL numbers its streams from 0, which reads as "no stream" to every caller;
// the first number is taken, for good, before anyone asks for one.
const unsigned char nothing = 0;
SDL_RWops* const streamZero = SDL_RWFromMem(const_cast<unsigned char*>(&nothing), 1);

// The browser's numbers of the keys without a character, and the classic numbers the game
// knows them by.
const std::unordered_map<int, int> classicKeys = [] {
  std::unordered_map<int, int> keys = {
      {SDLK_UP, 273},         {SDLK_DOWN, 274},         {SDLK_RIGHT, 275},
      {SDLK_LEFT, 276},       {SDLK_INSERT, 277},       {SDLK_HOME, 278},
      {SDLK_END, 279},        {SDLK_PAGEUP, 280},       {SDLK_PAGEDOWN, 281},
      {SDLK_KP_PERIOD, 266},  {SDLK_KP_DIVIDE, 267},    {SDLK_KP_MULTIPLY, 268},
      {SDLK_KP_MINUS, 269},   {SDLK_KP_PLUS, 270},      {SDLK_KP_ENTER, 271},
      {SDLK_KP_EQUALS, 272},  {SDLK_NUMLOCKCLEAR, 300}, {SDLK_CAPSLOCK, 301},
      {SDLK_SCROLLLOCK, 302}, {SDLK_RSHIFT, 303},       {SDLK_LSHIFT, 304},
      {SDLK_RCTRL, 305},      {SDLK_LCTRL, 306},        {SDLK_RALT, 307},
      {SDLK_LALT, 308},       {SDLK_RGUI, 312},         {SDLK_LGUI, 311},
      {SDLK_MODE, 313},       {SDLK_HELP, 315},         {SDLK_PRINTSCREEN, 316},
      {SDLK_SYSREQ, 317},     {SDLK_APPLICATION, 319},  {SDLK_POWER, 320},
      {SDLK_UNDO, 322},       {SDLK_PAUSE, 19},
  };
  const int keypad[] = {SDLK_KP_0, SDLK_KP_1, SDLK_KP_2, SDLK_KP_3, SDLK_KP_4,
                        SDLK_KP_5, SDLK_KP_6, SDLK_KP_7, SDLK_KP_8, SDLK_KP_9};
  for (int digit = 0; digit < 10; ++digit) keys[keypad[digit]] = 256 + digit;
  const int function[] = {SDLK_F1,  SDLK_F2,  SDLK_F3,  SDLK_F4,  SDLK_F5,
                          SDLK_F6,  SDLK_F7,  SDLK_F8,  SDLK_F9,  SDLK_F10,
                          SDLK_F11, SDLK_F12, SDLK_F13, SDLK_F14, SDLK_F15};
  for (int index = 0; index < 15; ++index) keys[function[index]] = 282 + index;
  return keys;
}();

void toClassicKey(SDL_Event* event) {
  if (event->type != SDL_KEYDOWN && event->type != SDL_KEYUP) return;
  auto found = classicKeys.find(event->key.keysym.sym);
  if (found != classicKeys.end()) event->key.keysym.sym = static_cast<SDL_Keycode>(found->second);
}

}  // namespace

int pigmoraPollEvent(SDL_Event* event) {
  if (!SDL_PollEvent(event)) return 0;
  toClassicKey(event);
  return 1;
}

// Menus wait for keys inside games inside menus: each wait hands the page back to the
// browser, which draws the canvas and delivers the keys in between.
int pigmoraWaitEvent(SDL_Event* event) {
  for (;;) {
    if (pigmoraPollEvent(event)) return 1;
    emscripten_sleep(EventLookMs);
  }
}

Desktop findDesktop() {
  return Desktop{};
}

namespace LostDisplay {
void endPromptlyWhenLost() {}
}  // namespace LostDisplay

namespace PowerSaving {
void save() {}
void keepAwake() {}
void restore() {}
int currentTimeout() {
  return -1;
}
int currentPowerManagement() {
  return -1;
}
}  // namespace PowerSaving

extern "C" {

// Every surface of the browser's SDL is a canvas of the one format.
SDL_Surface* SDL_DisplayFormat(SDL_Surface* surface) {
  return SDL_DisplayFormatAlpha(surface);
}

// The browser's SDL draws every surface through a canvas, which knows no colour key: the
// keyed colour is made transparent in the pixels themselves, once, as the key is set.
int SDL_SetColorKey(SDL_Surface* surface, int flag, Uint32 key) {
  if (!surface || !(flag & SDL_SRCCOLORKEY)) return 0;
  if (SDL_LockSurface(surface) != 0) return -1;
  // Canvas pixels are red, green, blue and alpha bytes; SDL_MapRGB packs them alike.
  const Uint32 colour = key & RgbBits;
  for (int y = 0; y < surface->h; ++y) {
    Uint32* row =
        reinterpret_cast<Uint32*>(static_cast<Uint8*>(surface->pixels) + y * surface->pitch);
    for (int x = 0; x < surface->w; ++x)
      if ((row[x] & RgbBits) == colour) row[x] = 0;
  }
  SDL_UnlockSurface(surface);
  return 0;
}

// The browser plays at its own rate; the game only asks whether sound is to be had and how
// long a block of it lasts.
int Mix_QuerySpec(int* frequency, Uint16* format, int* channels) {
  if (frequency) *frequency = BrowserRate;
  if (format) *format = AUDIO_S16LSB;
  if (channels) *channels = 2;
  return 1;
}

// The browser mixes in Web Audio, past any output stage of ours: its own levels stand.
int Mix_RegisterEffect(int, Mix_EffectFunc_t, Mix_EffectDone_t, void*) {
  return 0;
}
int Mix_UnregisterEffect(int, Mix_EffectFunc_t) {
  return 0;
}
}
