#include "InputPoller.h"

#include <SDL.h>
#include <cstdlib>

#include "KeyNames.h"
#include "MessageBus.h"
#include "Settings.h"

std::map<int, int> AxisStates;

int axisDirection(int value, int threshold) {
  if (value > threshold) return 1;
  if (value < -threshold) return -1;
  return 0;
}

bool axisTurned(std::map<int, int>& lastDirections, const SDL_JoyAxisEvent& motion,
                int& direction) {
  direction = axisDirection(motion.value, settings.Threshold);
  int& last = lastDirections[motion.which + 256 * motion.axis];
  if (direction == last) return false;
  last = direction;
  return true;
}

JoystickInput axisInput(const SDL_JoyAxisEvent& motion, int direction) {
  return {0, static_cast<int8_t>(motion.which), static_cast<int8_t>(motion.axis),
          static_cast<int8_t>(direction > 0 ? 1 : 0), 0};
}

JoystickInput buttonInput(const SDL_JoyButtonEvent& press) {
  return {1, static_cast<int8_t>(press.which), 0, 0, static_cast<int16_t>(press.button)};
}

namespace {

void dispatch(const std::map<int, Binding>& bindings, int code, MessageBus* bus) {
  auto found = bindings.find(code);
  if (found == bindings.end()) return;
  // The bus hands out pointers into the settings record itself, as the listeners expect.
  Binding* binding = const_cast<Binding*>(&found->second);
  switch (binding->command) {
    case Command::Pause:
      bus->post<TogglePause>(&binding->player);
      break;
    case Command::AbortGame:
      bus->post<AbortGame>(&binding->player);
      break;
    default:
      bus->post<PlayerCommand>(binding);
      break;
  }
}

void keyPressed(const SDL_keysym& key, MessageBus* bus) {
  // Alt+F4 and Ctrl+C leave at once, settings unsaved: the player wants out now.
  if (key.sym == SDLK_F4 && (key.mod & (KMOD_LALT | KMOD_RALT))) std::exit(0);
  if (key.sym == SDLK_c && (key.mod & (KMOD_LCTRL | KMOD_RCTRL))) std::exit(0);
  dispatch(settings.KeyBindings, key.sym, bus);
}

void axisMoved(const SDL_JoyAxisEvent& motion, MessageBus* bus) {
  int direction = 0;
  if (axisTurned(AxisStates, motion, direction) && direction != 0)
    dispatch(settings.JoystickBindings, axisInput(motion, direction).code(), bus);
}

void buttonPressed(const SDL_JoyButtonEvent& press, MessageBus* bus) {
  dispatch(settings.JoystickBindings, buttonInput(press).code(), bus);
}

}  // namespace

void InputPoller::handle(int, void*, MessageBus* bus) {
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    switch (event.type) {
      case SDL_KEYDOWN:
        keyPressed(event.key.keysym, bus);
        break;
      case SDL_JOYAXISMOTION:
        axisMoved(event.jaxis, bus);
        break;
      case SDL_JOYBUTTONDOWN:
        buttonPressed(event.jbutton, bus);
        break;
      case SDL_QUIT:
        std::exit(0);
      default:
        break;
    }
  }
}
