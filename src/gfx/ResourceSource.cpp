#include "ResourceSource.h"

void ResourceSource::release(Resource& resource) {
  delete[] resource.data;
  resource.data = nullptr;
  resource.size = -1;
}
