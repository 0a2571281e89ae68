#include "MusicCapture.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <atomic>
#include <mutex>

#include "MixerLevels.h"

namespace {

struct Tap {
  std::mutex lock;
  std::vector<int16_t> samples;
  size_t wanted = 0;
};

// Runs on SDL's audio thread after the music was mixed.
void collect(void* data, Uint8* stream, int length) {
  auto* tap = static_cast<Tap*>(data);
  std::lock_guard<std::mutex> guard(tap->lock);
  const auto* frames = reinterpret_cast<const int16_t*>(stream);
  size_t count = static_cast<size_t>(length) / sizeof(int16_t);
  size_t room = tap->wanted > tap->samples.size() ? tap->wanted - tap->samples.size() : 0;
  tap->samples.insert(tap->samples.end(), frames, frames + std::min(count, room));
}

}  // namespace

double Capture::seconds() const {
  return rate && channels ? static_cast<double>(samples.size()) / (rate * channels) : 0.0;
}

Capture captureMusic(const std::string& path, double seconds, int rate, int channels) {
  Capture capture;
  int format = 0;
  const bool openHere =
      Mix_QuerySpec(&capture.rate, reinterpret_cast<Uint16*>(&format), &capture.channels) == 0;
  if (openHere) {
    if (Mix_OpenAudio(rate, AUDIO_S16SYS, channels, 1024) != 0) {
      capture.error = std::string("cannot open audio: ") + Mix_GetError();
      return capture;
    }
    Mix_QuerySpec(&capture.rate, reinterpret_cast<Uint16*>(&format), &capture.channels);
  }
  Mix_Music* music = Mix_LoadMUS(path.c_str());
  if (!music) {
    capture.error = "cannot load " + path + ": " + Mix_GetError();
    if (openHere) Mix_CloseAudio();
    return capture;
  }
  Tap tap;
  tap.wanted = static_cast<size_t>(seconds * capture.rate) * capture.channels;
  Mix_SetPostMix(collect, &tap);
  setMixerLevels();
  if (Mix_PlayMusic(music, -1) != 0) capture.error = "cannot play " + path + ": " + Mix_GetError();
  // The audio thread runs at the pace of the device, and a busy machine slows it: only a
  // mixer that delivers nothing new for this long has stopped.
  constexpr Uint32 StalledMs = 30000;
  size_t delivered = 0;
  Uint32 lastProgress = SDL_GetTicks();
  while (capture.error.empty()) {
    size_t now = 0;
    {
      std::lock_guard<std::mutex> guard(tap.lock);
      now = tap.samples.size();
    }
    if (now >= tap.wanted) break;
    if (now > delivered) {
      delivered = now;
      lastProgress = SDL_GetTicks();
    } else if (SDL_GetTicks() - lastProgress > StalledMs) {
      capture.error = "the mixer stopped delivering sound";
      break;
    }
    SDL_Delay(10);
  }
  Mix_HaltMusic();
  Mix_SetPostMix(nullptr, nullptr);
  Mix_FreeMusic(music);
  if (openHere) Mix_CloseAudio();
  capture.samples = std::move(tap.samples);
  return capture;
}
