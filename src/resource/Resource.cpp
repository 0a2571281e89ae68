#include "Resource.h"

#include "ResourceSource.h"

Resource& Resource::operator=(const Resource& other) {
  if (this == &other) return *this;
  // A copy of the very buffer we hold must not free it under the new holder.
  if (owner && data != other.data) owner->release(*this);
  size = other.size;
  data = other.data;
  owner = other.owner;
  return *this;
}
