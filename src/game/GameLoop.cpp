#include "GameLoop.h"

#include <algorithm>
#include <string>

#include "Tuning.h"

GameLoop::GameLoop(const GameSetup& setup) : game(setup), clock([] { return 0u; }) {
  bus.subscribe(TogglePause, this);
  bus.subscribe(AbortGame, this);
  bus.subscribe(UpdateGame, this);
}

void GameLoop::handle(int id, void*, MessageBus*) {
  switch (id) {
    case TogglePause:
      add(0, Command::Pause);
      break;
    case AbortGame:
      add(0, Command::AbortGame);
      break;
    case UpdateGame:
      step(pacing == Pacing::FixedTicks ? tickLength(game.passes) : measureFrame());
      break;
    default:
      break;
  }
}

int32_t GameLoop::measureFrame() {
  uint32_t now = clock();
  int32_t dt = game.frameDelta;
  // A frame longer than a minute (the machine was suspended) is taken as one minute: the
  // rules' fixed-point steps would overflow on much longer ones.
  if (lastTicks != 0) dt = static_cast<int32_t>(std::min<uint32_t>(now - lastTicks, LongestFrame));
  lastTicks = now;
  return dt;
}

void GameLoop::step(int32_t dt) {
  game.step(dt, pending, events);
  if (onPass) onPass(dt, pending);
  pending = PassInput();
  for (const SoundEvent& sound : events.sounds) {
    std::string name = soundName(sound.sound, sound.chainLink);
    bus.post<PlaySound>(&name);
  }
}

void GameLoop::run() {
  std::string music = game.setup.musicName();
  bus.post<PlayMusic>(&music);
  while (game.state != Over) {
    bus.post<PollInput>();
    bus.post<UpdateGame>();
    bus.post<RenderFrame>(this);
  }
}
