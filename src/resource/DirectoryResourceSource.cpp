#include "DirectoryResourceSource.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <limits>

#include "Error.h"

int DirectoryResourceSource::open(const char* library) {
  // The folder is not looked at here: a missing library shows at its first load.
  prefix = std::string(".") + "/" + library + "/";
  return 0;
}

namespace {

// Reads exactly `size` bytes, and succeeds only when the file held no more and no less.
bool readWhole(std::FILE* file, unsigned char* buffer, size_t size) {
  if (std::fread(buffer, 1, size, file) != size) return false;
  return std::fgetc(file) == EOF && !std::ferror(file);
}

}  // namespace

Resource DirectoryResourceSource::load(const char* name, bool optional) {
  // Names are taken as they come; the glyph names start with a separator, and the
  // doubled one it makes is harmless.
  std::string path = prefix + name;

  struct stat status;
  if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
    if (optional) return Resource();
    throw Error{"Unable to find resource <" + std::string(name) + "> from " + path};
  }

  const Error unreadable{"Unable to open resource <" + std::string(name) + ">"};
  if (status.st_size < 0 || status.st_size > std::numeric_limits<int32_t>::max()) {
    if (optional) return Resource();
    throw unreadable;
  }

  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    if (optional) return Resource();
    throw unreadable;
  }

  // A file that changed size since its status was taken would otherwise be handed on as
  // complete with part of the buffer never written.
  auto size = static_cast<int32_t>(status.st_size);
  auto* buffer = new unsigned char[size];
  bool whole = readWhole(file, buffer, static_cast<size_t>(size));
  std::fclose(file);
  if (!whole) {
    delete[] buffer;
    if (optional) return Resource();
    throw unreadable;
  }
  return Resource(size, buffer, this);
}

ResourceSource* openResourceLibrary(const char* library) {
  ResourceSource* source = new DirectoryResourceSource();
  if (source->open(library) != 0) {
    delete source;
    throw Error{"Unable to open resource Library <" + std::string(library) + ">"};
  }
  return source;
}
