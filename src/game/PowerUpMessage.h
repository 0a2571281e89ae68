#pragma once

// A power-up sent from one board to the other: what is sent, how much, and by which
// player. `id` is SendPowerUp or SendDuds.
struct PowerUpMessage {
  int id;
  int kind;
  int amount;
  int sender;
};
