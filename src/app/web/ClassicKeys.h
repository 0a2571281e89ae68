#pragma once
// Put ahead of every source that uses SDL in the browser build. The browser's SDL numbers
// the keys without a character (arrows, function keys, keypad, modifiers) the newer way,
// while the game's names for keys, its factory bindings and every settings file go by the
// classic numbers. Events are handed to the game with classic numbers (BrowserPlatform.cpp
// translates them), and the few keys the game names in its code mean those numbers too.
#include <SDL.h>

#ifndef PIGMORA_BROWSER_SDL_KEYS
#define SDL_PollEvent pigmoraPollEvent
#define SDL_WaitEvent pigmoraWaitEvent
#undef SDLK_UP
#define SDLK_UP 273
#undef SDLK_DOWN
#define SDLK_DOWN 274
#undef SDLK_F4
#define SDLK_F4 285

int pigmoraPollEvent(SDL_Event* event);
int pigmoraWaitEvent(SDL_Event* event);
#endif
