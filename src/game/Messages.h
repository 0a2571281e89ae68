#pragma once

#include <string>

struct Binding;
class GameLoop;

// Message ids on a game's bus. What each one carries is fixed by MessageData below, and
// posting or reading any other type does not compile.
enum MessageId {
  PollInput = 0,
  PlayerCommand = 1,
  TogglePause = 4,
  AbortGame = 5,
  UpdateGame = 6,
  RenderFrame = 7,
  // What one board sends the other: the kinds of a PowerUpMessage in a step's events.
  // They travel inside the step, never on the bus.
  SendPowerUp = 8,
  SendDuds = 9,
  PlaySound = 10,
  PlayMusic = 11,
};

// The data each message carries (void: none, posted as null).
template <int Id>
struct MessageData;
template <>
struct MessageData<PollInput> {
  using Type = void;
};
template <>
struct MessageData<UpdateGame> {
  using Type = void;
};
template <>
struct MessageData<PlayerCommand> {
  using Type = const Binding;
};
// The player whose control it was (always 0: the game's controls are player 1's).
template <>
struct MessageData<TogglePause> {
  using Type = const int;
};
template <>
struct MessageData<AbortGame> {
  using Type = const int;
};
// The loop whose game and layout are to be drawn.
template <>
struct MessageData<RenderFrame> {
  using Type = GameLoop;
};
// The name of the effect or the tune.
template <>
struct MessageData<PlaySound> {
  using Type = const std::string;
};
template <>
struct MessageData<PlayMusic> {
  using Type = const std::string;
};

// A listener's view of what its message carries.
template <int Id>
typename MessageData<Id>::Type* messageData(void* data) {
  return static_cast<typename MessageData<Id>::Type*>(data);
}
