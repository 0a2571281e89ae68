#pragma once

#include <cstdint>

class ResourceSource;

// The whole contents of one file read from a resource library. A small value that is
// copied freely; the buffer belongs to `owner`, which frees it on `release`.
struct Resource {
  int32_t size = -1;                // -1 when the resource is absent
  unsigned char* data = nullptr;    // null when absent
  ResourceSource* owner = nullptr;  // the source whose release frees data, may be null

  Resource() = default;
  Resource(int32_t size, unsigned char* data, ResourceSource* owner)
      : size(size), data(data), owner(owner) {}
  Resource(const Resource&) = default;

  // Storing a new value gives the held buffer back to its owner first, so a variable
  // reused for a run of loads never strands the previous buffer.
  Resource& operator=(const Resource& other);

  bool absent() const { return size == -1; }
};
