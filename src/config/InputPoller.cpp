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

namespace {

void dispatch(const std::map<int, Binding>& bindings, int code, MessageBus* bus) {
  auto found = bindings.find(code);
  if (found == bindings.end()) return;
  // The bus hands out pointers into the settings record itself, as the listeners expect.
  Binding* binding = const_cast<Binding*>(&found->second);
  switch (binding->command) {
    case Command::Pause:
      bus->post(TogglePause, &binding->player);
      break;
    case Command::AbortGame:
      bus->post(AbortGame, &binding->player);
      break;
    default:
      bus->post(PlayerCommand, binding);
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
  int direction = axisDirection(motion.value, settings.Threshold);
  int& last = AxisStates[motion.which + 256 * motion.axis];
  if (direction == 0) {
    last = 0;
    return;
  }
  if (direction == last) return;
  last = direction;
  JoystickInput input{0, static_cast<int8_t>(motion.which), static_cast<int8_t>(motion.axis),
                      static_cast<int8_t>(direction > 0 ? 1 : 0), 0};
  dispatch(settings.JoystickBindings, input.code(), bus);
}

void buttonPressed(const SDL_JoyButtonEvent& press, MessageBus* bus) {
  JoystickInput input{1, static_cast<int8_t>(press.which), 0, 0,
                      static_cast<int16_t>(press.button)};
  dispatch(settings.JoystickBindings, input.code(), bus);
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
