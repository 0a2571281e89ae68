#pragma once

// The data of SendPowerUp and SendDuds: what is sent, how much, and by which player.
struct PowerUpMessage {
  int kind;
  int amount;
  int sender;
};
