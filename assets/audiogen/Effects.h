#pragma once

#include <string>
#include <vector>

#include "Synth.h"

// The rate every effect is written at.
constexpr int EffectRate = 22050;

struct Effect {
  std::string file;  // the name the game's "Sounds" library asks for
  Samples sound;
};

// The twelve effects of the game, each one synthesised from scratch.
std::vector<Effect> makeEffects();

// The chain sound for chain number 0..6; each step climbs in pitch and brightness.
Samples makeReaction(int chain);
