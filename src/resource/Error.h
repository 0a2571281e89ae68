#pragma once

#include <string>

// The one exception the game throws: a resource that is missing or cannot be opened.
// Only the entry function catches it, prints the message as it stands and ends with 1.
struct Error {
  std::string message;
};
