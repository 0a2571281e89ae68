#include "Output.h"

#include <filesystem>
#include <utility>

Output::Output(std::string dataDir) : root(std::move(dataDir)) {
  for (const char* folder : {"Sprites", "Font", "Backgrounds"})
    std::filesystem::create_directories(root + "/" + folder);
}

void Output::png(const std::string& group, const std::string& file, const Canvas& picture,
                 Storage storage, KeyColour key) {
  writePng(root + "/" + file, picture, storage, key);
  Canvas shownPicture = picture;
  if (storage == Storage::Keyed) {
    for (Colour& c : shownPicture.pixels) {
      if (c.a < 0.5f) {
        c = {0, 0, 0, 0};
      } else {
        c = {c.r * c.a, c.g * c.a, c.b * c.a, 1};
      }
    }
  }
  shown.push_back({group, file, std::move(shownPicture), storage, key});
}

void Output::jpeg(const std::string& group, const std::string& file, const Canvas& picture) {
  writeJpeg(root + "/" + file, picture);
  shown.push_back({group, file, picture, Storage::Opaque, {0, 0, 0}});
}
