#include "ResourceSource.h"

#include <sys/stat.h>

bool isRegularFile(const std::string& path) {
  struct stat status;
  return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

void ResourceSource::release(Resource& resource) {
  delete[] resource.data;
  resource.data = nullptr;
  resource.size = -1;
}
