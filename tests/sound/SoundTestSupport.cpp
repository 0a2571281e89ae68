#include "SoundTestSupport.h"

#include <filesystem>

std::string generatedSound(const std::string& file) {
  return std::string(PIGMORA_DATA_DIR) + "/Sounds/" + file;
}

SoundFolder::SoundFolder() {
  std::filesystem::copy(std::string(PIGMORA_DATA_DIR) + "/Sounds", dir.file("Sounds"));
}
