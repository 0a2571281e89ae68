#pragma once

// How loud the game's mixer plays music and effects, and what keeps their sum from
// clipping. Called once the device is open (the game's sound object does, and so does the
// sound generator's capture, which measures the modules as the game plays them).
void setMixerLevels();

// The music's volume for a device with this many channels, before the output stage.
//
// SDL_mixer plays modules through libmikmod, whose mixer pans with a linear law: a channel
// in the middle reaches each side of a stereo device at half its strength, and a mono
// device at the full strength both sides add up to, 6 dB louder. The game's modules are
// written for stereo; on a mono device they play at half volume, so that the music sounds
// as loud either way, and as loud against the effects, which SDL_mixer plays at one
// strength on any device.
int musicVolumeFor(int deviceChannels);
