#pragma once

#include <string>

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

// Whether a regular file is there. Anything else under a resource's name (a folder, a
// FIFO whose open would wait for a writer for ever) counts as missing.
bool isRegularFile(const std::string& path);

// Holds the resource last stored in it and gives its buffer back to its library when a
// new one is stored or the holder goes, also when a load on the way threw.
struct HeldResource {
  Resource resource;
  HeldResource() = default;
  explicit HeldResource(const Resource& loaded) : resource(loaded) {}
  HeldResource(const HeldResource&) = delete;
  HeldResource& operator=(const HeldResource&) = delete;
  ~HeldResource() {
    if (resource.owner) resource.owner->release(resource);
  }
};
