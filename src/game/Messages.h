#pragma once

// Message ids on a game's bus. The data each one carries is fixed by the id:
//   PollInput, UpdateGame: none          PlayerCommand: Binding*
//   TogglePause, AbortGame: int* player  RenderFrame: Game*
//   SendPowerUp, SendDuds: PowerUpMessage*
//   PlaySound, PlayMusic: std::string* name
enum MessageId {
  PollInput = 0,
  PlayerCommand = 1,
  TogglePause = 4,
  AbortGame = 5,
  UpdateGame = 6,
  RenderFrame = 7,
  SendPowerUp = 8,
  SendDuds = 9,
  PlaySound = 10,
  PlayMusic = 11,
};
