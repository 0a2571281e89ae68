#pragma once

#include <SDL.h>

#include "Resource.h"

// Decodes a PNG or JPEG held in a resource. Null when the bytes are not an image.
// The surface keeps no reference to the buffer, so the resource may be released at once.
SDL_Surface* loadImageFromResource(const Resource& resource);
