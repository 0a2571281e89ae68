#include "WavWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>

namespace {

void put16(std::string& out, uint32_t value) {
  out.push_back(static_cast<char>(value & 0xff));
  out.push_back(static_cast<char>((value >> 8) & 0xff));
}

void put32(std::string& out, uint32_t value) {
  put16(out, value & 0xffff);
  put16(out, value >> 16);
}

}  // namespace

std::string encodeWav(const Samples& sound, int rate) {
  const uint32_t dataBytes = static_cast<uint32_t>(sound.size() * 2);
  std::string out;
  out.reserve(44 + dataBytes);
  out += "RIFF";
  put32(out, 36 + dataBytes);
  out += "WAVEfmt ";
  put32(out, 16);
  put16(out, 1);  // plain PCM
  put16(out, 1);  // mono
  put32(out, static_cast<uint32_t>(rate));
  put32(out, static_cast<uint32_t>(rate * 2));
  put16(out, 2);
  put16(out, 16);
  out += "data";
  put32(out, dataBytes);
  for (float s : sound) {
    long value = std::lround(std::clamp(s, -1.0f, 1.0f) * 32767.0f);
    put16(out, static_cast<uint32_t>(static_cast<int16_t>(value)) & 0xffff);
  }
  return out;
}

bool writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}
