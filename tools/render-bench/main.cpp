// Measures the frame renderer on a busy two-player frame against the floor every frame
// pays, the full-screen background blit, and writes a screenshot of that frame and one
// of the results over full boards, beside it, to judge the text by.

#include <png.h>
#include <unistd.h>

#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "BusyScene.h"
#include "Display.h"
#include "Error.h"
#include "Game.h"
#include "GameLayout.h"
#include "GameLoop.h"
#include "Settings.h"

namespace {

using Clock = std::chrono::steady_clock;

double microsecondsSince(Clock::time_point start, int count) {
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / count;
}

bool writePng(SDL_Surface* screen, const std::string& path) {
  std::vector<unsigned char> rgb(size_t(screen->w) * screen->h * 3);
  SDL_LockSurface(screen);
  for (int y = 0; y < screen->h; ++y) {
    const Uint16* row = reinterpret_cast<const Uint16*>(static_cast<const Uint8*>(screen->pixels) +
                                                        y * screen->pitch);
    for (int x = 0; x < screen->w; ++x) {
      unsigned char* out = &rgb[(size_t(y) * screen->w + x) * 3];
      SDL_GetRGB(row[x], screen->format, &out[0], &out[1], &out[2]);
    }
  }
  SDL_UnlockSurface(screen);
  png_image image = {};
  image.version = PNG_IMAGE_VERSION;
  image.width = screen->w;
  image.height = screen->h;
  image.format = PNG_FORMAT_RGB;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  return png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr) != 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string data = argc > 1 ? argv[1] : PIGMORA_DATA_DIR;
  int frames = argc > 2 ? std::atoi(argv[2]) : 3000;
  std::string screenshot = argc > 3 ? argv[3] : PIGMORA_SCREENSHOT;
  if (frames < 1) frames = 1;
  if (!std::getenv("SDL_VIDEODRIVER")) setenv("SDL_VIDEODRIVER", "dummy", 1);
  if (chdir(data.c_str()) != 0) {
    std::fprintf(stderr, "render-bench: cannot enter the data folder %s\n", data.c_str());
    return 1;
  }
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "render-bench: %s\n", SDL_GetError());
    return 1;
  }
  int status = 0;
  try {
    Display display;
    display.splashTime = 0;
    display.loadGraphics();
    GameLayout layout(1);
    GameLoop loop(layout);
    loop.layout = &layout;
    Game& game = loop.game;
    loop.bus.subscribe(RenderFrame, &display);

    makeBusyScene(game, 0);
    loop.bus.post<RenderFrame>(&loop);  // converts the background once

    Clock::time_point start = Clock::now();
    for (int i = 0; i < frames; ++i) {
      SDL_Rect origin = {0, 0, 0, 0};
      SDL_UpperBlit(layout.convertedBackground, nullptr, display.screen, &origin);
    }
    double blit = microsecondsSince(start, frames);

    start = Clock::now();
    for (int i = 0; i < frames; ++i) SDL_Flip(display.screen);
    double flip = microsecondsSince(start, frames);

    double scene = 0;
    start = Clock::now();
    for (int i = 0; i < frames; ++i) {
      Clock::time_point before = Clock::now();
      makeBusyScene(game, i + 1);
      scene += std::chrono::duration<double, std::micro>(Clock::now() - before).count();
      loop.bus.post<RenderFrame>(&loop);
    }
    double frame = microsecondsSince(start, frames) - scene / frames;

    makeBusyScene(game, 7);
    loop.bus.post<RenderFrame>(&loop);
    bool saved = writePng(display.screen, screenshot);
    std::string results =
        (std::filesystem::path(screenshot).parent_path() / "results-over-full-boards.png").string();
    makeResultsScene(game);
    loop.bus.post<RenderFrame>(&loop);
    saved = writePng(display.screen, results) && saved;

    std::printf("render-bench: %d frames of a busy two-player game, 640x480 at 16 bits\n", frames);
    std::printf("  background blit (floor): %8.1f us\n", blit);
    std::printf("  flip alone:              %8.1f us\n", flip);
    std::printf("  whole frame with flip:   %8.1f us  (%.2fx the floor)\n", frame, frame / blit);
    std::printf("  drawing, less the flip:  %8.1f us  (%.2fx the floor)\n", frame - flip,
                (frame - flip) / blit);
    std::printf("  screenshots: %s, %s%s\n", screenshot.c_str(), results.c_str(),
                saved ? "" : " (NOT WRITTEN)");
    if (!saved) status = 1;
  } catch (const Error& error) {
    std::printf("%s\n", error.message.c_str());
    status = 1;
  }
  SDL_Quit();
  return status;
}
