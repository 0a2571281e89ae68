// The busy two-player frame of render-bench, drawn in a web page: what a frame costs the
// browser build (its SDL draws through the page's canvas). Prints the same figures'
// names as render-bench on the page's console. Wall time: a page's code runs on one thread,
// which these frames keep busy.
#include <SDL.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "BusyScene.h"
#include "Display.h"
#include "Error.h"
#include "Game.h"
#include "GameLayout.h"
#include "GameLoop.h"

namespace {
constexpr int DefaultFrames = 1000;
using Clock = std::chrono::steady_clock;
double microseconds(Clock::duration span) {
  return std::chrono::duration<double, std::micro>(span).count();
}
}  // namespace

int main(int argc, char** argv) {
  int frames = argc > 1 ? std::atoi(argv[1]) : DefaultFrames;
  if (frames < 1) frames = 1;
  if (chdir("/game") != 0 || SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::printf("render-bench: cannot start\n");
    return 1;
  }
  try {
    Display display;
    display.splashTime = 0;
    display.loadGraphics();
    GameLayout layout(1);
    GameLoop loop(layout);
    loop.layout = &layout;
    loop.bus.subscribe(RenderFrame, &display);
    makeBusyScene(loop.game, 0);
    loop.bus.post<RenderFrame>(&loop);
    Clock::time_point start = Clock::now();
    for (int i = 0; i < frames; ++i) {
      SDL_Rect origin = {0, 0, 0, 0};
      SDL_UpperBlit(layout.convertedBackground, nullptr, display.screen, &origin);
    }
    const double blit = microseconds(Clock::now() - start) / frames;
    double scene = 0;
    start = Clock::now();
    for (int i = 0; i < frames; ++i) {
      Clock::time_point before = Clock::now();
      makeBusyScene(loop.game, i + 1);
      scene += microseconds(Clock::now() - before);
      loop.bus.post<RenderFrame>(&loop);
    }
    const double frame = (microseconds(Clock::now() - start) - scene) / frames;
    std::printf("render-bench: %d frames of a busy two-player game, 640x480, in a web page\n",
                frames);
    std::printf("  background blit (floor): %8.1f us\n", blit);
    std::printf("  whole frame with flip:   %8.1f us  (%.2fx the floor)\n", frame, frame / blit);
  } catch (const Error& error) {
    std::printf("render-bench: %s\n", error.message.c_str());
    return 1;
  }
  return 0;
}
