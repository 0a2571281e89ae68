#pragma once

#include "Resource.h"

// Where the game's images and sound effects come from: bound once to a library name,
// then asked for resources by name.
class ResourceSource {
public:
  // 0 when the source is bound to the library, anything else on failure.
  virtual int open(const char* library) = 0;
  // Required resources that are missing or unreadable throw Error; optional ones come
  // back as the empty value.
  virtual Resource load(const char* name, bool optional) = 0;
  // Frees the buffer; afterwards the resource reads as absent.
  virtual void release(Resource& resource);
  virtual ~ResourceSource() = default;
};
