#pragma once

#include <functional>

union SDL_Event;

// Puts a quit request back on SDL's queue for the loop around the one that took it, so
// every open menu, capture and wait closes in turn and the program ends through its normal
// shutdown, settings saved.
void passOnQuit();
// True, the request passed on, when `event` asks the program to quit: the loop that took it
// ends.
bool quitPassedOn(const SDL_Event& event);

// What a screen that does not wait on SDL's queue makes of the events queued: a quit request
// (passed on), Esc pressed, or neither. Every other event goes to `other`, if given.
enum class Interruption { None, Escape, Quit };
Interruption pollQuitOrEscape(const std::function<void(const SDL_Event&)>& other = {});
