#pragma once

#include <string>

#include "Canvas.h"

// How a picture is stored.
enum class Storage {
  Alpha,   // RGBA PNG: the game blends it with its own alpha channel
  Keyed,   // RGB PNG, transparent pixels replaced by the colour key the game sets
  Opaque,  // RGB PNG or JPEG, dithered to the 16-bit screen's levels
};

struct KeyColour {
  int r, g, b;
};

// Writes a PNG; with Storage::Keyed every pixel under half covered becomes `key` and no
// painted pixel is allowed to collide with it.
void writePng(const std::string& path, const Canvas& picture, Storage storage,
              KeyColour key = {0, 0, 0});
// Writes a full-quality JPEG dithered for a 5-6-5 screen.
void writeJpeg(const std::string& path, const Canvas& picture);
