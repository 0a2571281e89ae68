#pragma once

#include <SDL.h>

#include <string>

class ResourceSource;

// Image loading for the display, with one rule: an image the drawing code cannot do
// without either arrives as a surface or stops start-up with an Error naming the file.

// A required image of a library; a file that is there but does not decode throws too.
SDL_Surface* loadLibraryImage(ResourceSource* source, const std::string& name);

// An image opened by path. Null when the file is missing or broken and `required` is
// false (the caller goes on without it); an Error naming the path when it is true.
SDL_Surface* loadImageFile(const std::string& path, bool required);

// The image in the screen's own layout (with its alpha channel, if it has one), so that
// drawing it needs no conversion of every pixel every frame. Frees the original. Without
// a video mode the image is returned as it is.
SDL_Surface* inScreenFormat(SDL_Surface* image);
