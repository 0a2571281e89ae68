// Measures the frame renderer on a busy two-player frame against the floor every frame
// pays, the full-screen background blit, and takes the flip apart into what SDL 1.2's
// compatibility layer does with it: the screen converted to the window texture's format,
// the upload, and the present. Writes a screenshot of that frame and one of the results
// over full boards, beside it, to judge the text by. On the dummy video driver unless
// SDL_VIDEODRIVER says otherwise (x11: a real window; SDL_RENDER_DRIVER picks SDL's
// renderer behind it).

#include <png.h>
#include <time.h>
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

// The process's CPU time, every thread of it: a GL driver that rasterises on threads of
// its own, later than the call that asked, still has its work counted.
struct Clock {
  using duration = std::chrono::nanoseconds;
  using rep = duration::rep;
  using period = duration::period;
  using time_point = std::chrono::time_point<Clock>;
  static constexpr bool is_steady = true;
  static time_point now() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return time_point(std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec));
  }
};

// The window texture of the compatibility layer: SDL's renderers list ARGB8888 first.
constexpr Uint32 TextureR = 0x00ff0000, TextureG = 0x0000ff00, TextureB = 0x000000ff,
                 TextureA = 0xff000000;
// The stages of a frame are measured as a game meets them: one at a time, a wait longer
// than a frame of any display apart, each followed by the event pump of the next pass.
// The wait also lets a driver's late work on its own threads land inside the measure.
constexpr Uint32 PaceMs = 50;
constexpr int PacedSamples = 60;

double microsecondsSince(Clock::time_point start, int count) {
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / count;
}

// The CPU time of `work` done as a game does it, less that of the waits and pumps alone.
template <class Work>
double paced(Work work) {
  auto run = [](auto step) {
    Clock::time_point start = Clock::now();
    for (int i = 0; i < PacedSamples; ++i) {
      step(i);
      SDL_Delay(PaceMs);
      SDL_PumpEvents();
    }
    SDL_Delay(PaceMs);
    return microsecondsSince(start, PacedSamples);
  };
  double idle = run([](int) {});
  return run(work) - idle;
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

    // A flip converts the screen into the window texture's format, uploads the texture
    // and presents it. The conversion is SDL's blitter into a surface of that format; a
    // one-pixel update converts and uploads next to nothing and leaves its present to the
    // next pump, which then pays it.
    SDL_Surface* screen = display.screen;
    SDL_Surface* texture = SDL_CreateRGBSurface(SDL_SWSURFACE, screen->w, screen->h, 32, TextureR,
                                                TextureG, TextureB, TextureA);
    SDL_Surface* screen32 = SDL_CreateRGBSurface(SDL_SWSURFACE, screen->w, screen->h, 32, TextureR,
                                                 TextureG, TextureB, 0);
    SDL_BlitSurface(screen, nullptr, screen32, nullptr);
    double drawing = paced([&](int i) {
      makeBusyScene(game, i + 1);
      display.drawFrame(&loop);
    });
    drawing -= scene / frames;
    double flipped = paced([&](int) { SDL_Flip(screen); });
    double convert16 = paced([&](int) { SDL_BlitSurface(screen, nullptr, texture, nullptr); });
    double convert32 = paced([&](int) { SDL_BlitSurface(screen32, nullptr, texture, nullptr); });
    double present = paced([&](int) { SDL_UpdateRect(screen, 0, 0, 1, 1); });
    SDL_FreeSurface(screen32);
    SDL_FreeSurface(texture);

    makeBusyScene(game, 7);
    loop.bus.post<RenderFrame>(&loop);
    bool saved = writePng(display.screen, screenshot);
    std::string results =
        (std::filesystem::path(screenshot).parent_path() / "results-over-full-boards.png").string();
    makeResultsScene(game);
    loop.bus.post<RenderFrame>(&loop);
    saved = writePng(display.screen, results) && saved;

    const char* driver = std::getenv("SDL_VIDEODRIVER");
    const char* renderer = std::getenv("SDL_RENDER_DRIVER");
    std::printf(
        "render-bench: %d frames of a busy two-player game, 640x480 at %d bits, "
        "video driver %s, renderer %s; CPU time of the process\n",
        frames, display.screen->format->BitsPerPixel, driver, renderer ? renderer : "SDL's choice");
    std::printf("  background blit (floor): %8.1f us\n", blit);
    std::printf("  whole frame with flip:   %8.1f us  (%.2fx the floor)\n", frame, frame / blit);
    std::printf("  our drawing:             %8.1f us  (%.2fx the floor)\n", frame - flip,
                (frame - flip) / blit);
    std::printf("  the flip:                %8.1f us\n", flip);
    std::printf("  one frame at a time, %u ms apart:\n", PaceMs);
    std::printf("    our drawing:           %8.1f us\n", drawing);
    std::printf("    the flip:              %8.1f us\n", flipped);
    std::printf("      conversion:          %8.1f us  (from a 32-bit screen: %.1f us)\n", convert16,
                convert32);
    // Nothing to speak of where the texture is plain memory (the software renderer): there
    // the rest is the noise of three measures, either way.
    std::printf("      upload (the rest):   %8.1f us\n", flipped - convert16 - present);
    std::printf("      present:             %8.1f us\n", present);
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
