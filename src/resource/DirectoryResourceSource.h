#pragma once

#include <string>

#include "ResourceSource.h"

// A library that is a folder below the working directory: library "Sprites" reads
// from "./Sprites/".
class DirectoryResourceSource : public ResourceSource {
public:
  int open(const char* library) override;
  Resource load(const char* name, bool optional) override;

  std::string prefix;  // the library's folder, with its trailing separator
};

// Makes and opens the source of a library; the caller owns it. Throws Error when the
// library cannot be opened.
ResourceSource* openResourceLibrary(const char* library);
