// Renders a music module through SDL_mixer into a WAV file, for listening and for
// measuring with sox:  modrender <module> <out.wav> [seconds] [mono]

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "MusicCapture.h"

namespace {

void put(std::ofstream& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.put(static_cast<char>((value >> (8 * i)) & 0xff));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s <module> <out.wav> [seconds] [mono]\n", argv[0]);
    return 2;
  }
  double seconds = argc > 3 ? std::atof(argv[3]) : 20.0;
  if (SDL_Init(SDL_INIT_AUDIO) != 0) {
    std::fprintf(stderr, "modrender: %s\n", SDL_GetError());
    return 1;
  }
  Capture capture = captureMusic(argv[1], seconds, 44100, argc > 4 ? 1 : 2);
  SDL_Quit();
  if (!capture.error.empty()) {
    std::fprintf(stderr, "modrender: %s\n", capture.error.c_str());
    return 1;
  }
  std::ofstream out(argv[2], std::ios::binary);
  uint32_t bytes = static_cast<uint32_t>(capture.samples.size() * 2);
  out.write("RIFF", 4);
  put(out, 36 + bytes, 4);
  out.write("WAVEfmt ", 8);
  put(out, 16, 4);
  put(out, 1, 2);
  put(out, capture.channels, 2);
  put(out, capture.rate, 4);
  put(out, capture.rate * capture.channels * 2, 4);
  put(out, capture.channels * 2, 2);
  put(out, 16, 2);
  out.write("data", 4);
  put(out, bytes, 4);
  for (int16_t s : capture.samples) put(out, static_cast<uint16_t>(s), 2);
  return out ? 0 : 1;
}
