#pragma once

#include <cstdint>
#include <vector>

#include "PowerUpMessage.h"

// The effects a step of the rules can make heard, by their names on the sound side.
enum class Sound : uint8_t {
  Grab,
  Drop,
  Slide,
  Explode,
  Laser,
  Chain,  // R0 for the first reaction of a chain, up to R6 for the seventh and later
};

// The sound effect's name: "Grab", "Drop", ... and "R0" to "R6" for a chain's link.
const char* soundName(Sound sound, int chainLink = 0);

struct SoundEvent {
  int8_t player;
  Sound sound;
  int8_t chainLink;  // 0..6 for Sound::Chain
};

// What one step made happen beyond the state itself: the sounds to play, in order, and
// the power-ups a board sent to the other one, which the game delivers once the sender's
// update is over. Whoever runs the step decides whether the sounds are heard: a step run
// again after a rollback leaves them out.
struct StepEvents {
  std::vector<SoundEvent> sounds;
  std::vector<PowerUpMessage> sent;  // SendPowerUp or SendDuds, with the sender

  void clear() {
    sounds.clear();
    sent.clear();
  }
};
