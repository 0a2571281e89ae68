#include "MusicCapture.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <mutex>

#include "MixerLevels.h"

namespace {

struct Tap {
  std::mutex lock;
  std::vector<int16_t> samples;
  size_t wanted = 0;
  size_t channels = 1;
  size_t handedOver = 0;  // every sample the mixer produced, silence before the sound too
};

// Runs on SDL's audio thread after the mix. Silence before the first sound is not kept:
// the mixer goes on handing it over for as long as the caller takes to start something.
void collect(void* data, Uint8* stream, int length) {
  auto* tap = static_cast<Tap*>(data);
  std::lock_guard<std::mutex> guard(tap->lock);
  const auto* samples = reinterpret_cast<const int16_t*>(stream);
  const size_t count = static_cast<size_t>(length) / sizeof(int16_t);
  tap->handedOver += count;
  size_t from = 0;
  if (tap->samples.empty()) {
    while (from < count && samples[from] == 0) ++from;
    from -= from % tap->channels;
  }
  size_t room = tap->wanted > tap->samples.size() ? tap->wanted - tap->samples.size() : 0;
  tap->samples.insert(tap->samples.end(), samples + from,
                      samples + from + std::min(count - from, room));
}

}  // namespace

double Capture::seconds() const {
  return rate && channels ? static_cast<double>(samples.size()) / (rate * channels) : 0.0;
}

std::vector<int16_t> listenToMixer(double seconds, const std::function<bool()>& start,
                                   std::string& error) {
  int rate = 0, channels = 0;
  if (Mix_QuerySpec(&rate, nullptr, &channels) == 0) {
    error = "the mixer is not open";
    return {};
  }
  Tap tap;
  tap.channels = static_cast<size_t>(channels);
  tap.wanted = static_cast<size_t>(seconds * rate) * tap.channels;
  Mix_SetPostMix(collect, &tap);
  size_t startedAt = 0;
  if (!start()) error = "nothing started";
  {
    std::lock_guard<std::mutex> guard(tap.lock);
    startedAt = tap.handedOver;
  }
  // The audio thread runs at the pace of the device, and a busy machine slows it: only a
  // mixer that delivers nothing new for this long has stopped.
  constexpr Uint32 StalledMs = 30000;
  size_t delivered = 0;
  Uint32 lastProgress = SDL_GetTicks();
  while (error.empty()) {
    size_t kept = 0, handedOver = 0;
    {
      std::lock_guard<std::mutex> guard(tap.lock);
      kept = tap.samples.size();
      handedOver = tap.handedOver;
    }
    if (kept >= tap.wanted) break;
    if (kept == 0 && handedOver - startedAt > tap.wanted) {
      error = "nothing sounded";
    } else if (handedOver > delivered) {
      delivered = handedOver;
      lastProgress = SDL_GetTicks();
    } else if (SDL_GetTicks() - lastProgress > StalledMs) {
      error = "the mixer stopped delivering sound";
    }
    SDL_Delay(10);
  }
  Mix_SetPostMix(nullptr, nullptr);
  return error.empty() ? std::move(tap.samples) : std::vector<int16_t>();
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
  std::string error;
  capture.samples = listenToMixer(
      seconds,
      [&] {
        setMixerLevels();
        return Mix_PlayMusic(music, -1) == 0;
      },
      error);
  if (!error.empty()) capture.error = "cannot play " + path + ": " + error;
  Mix_HaltMusic();
  Mix_FreeMusic(music);
  if (openHere) Mix_CloseAudio();
  return capture;
}
