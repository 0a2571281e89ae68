#pragma once

#include <string>

#include "Synth.h"

// Encodes a mono sound as a 16-bit PCM WAV file image (header and data).
std::string encodeWav(const Samples& sound, int rate);

// Writes the bytes to a file; false when it cannot be written.
bool writeFile(const std::string& path, const std::string& bytes);
