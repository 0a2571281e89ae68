// Preloaded into a program on SDL 1.2 (LD_PRELOAD), counts the pictures it hands to the
// window and the time they take: every outermost SDL_Flip, SDL_UpdateRect and
// SDL_UpdateRects, the pixels it updated and the wall time spent inside. The counts go to
// the file PIGMORA_FLIP_METER names, mapped shared, so a benchmark reads them while the
// program runs (and after it was killed): four 64-bit numbers, native order.
#include <SDL.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

namespace {

struct Counts {
  uint64_t calls, pixels, wallNs, processCpuNs;
};

Counts* counts() {
  static Counts* shared = [] {
    const char* path = std::getenv("PIGMORA_FLIP_METER");
    if (!path) return static_cast<Counts*>(nullptr);
    int fd = open(path, O_RDWR | O_CREAT, 0644);
    if (fd < 0 || ftruncate(fd, sizeof(Counts)) != 0) return static_cast<Counts*>(nullptr);
    void* at = mmap(nullptr, sizeof(Counts), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    return at == MAP_FAILED ? nullptr : static_cast<Counts*>(at);
  }();
  return shared;
}

uint64_t nanoseconds(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return uint64_t(now.tv_sec) * 1000000000u + uint64_t(now.tv_nsec);
}

// SDL_Flip may itself call SDL_UpdateRect through the exported name: only the outermost
// call is one picture.
thread_local int depth = 0;

template <class Call>
auto metered(uint64_t pixels, Call call) {
  Counts* c = depth == 0 ? counts() : nullptr;
  uint64_t wall = c ? nanoseconds(CLOCK_MONOTONIC) : 0;
  uint64_t cpu = c ? nanoseconds(CLOCK_PROCESS_CPUTIME_ID) : 0;
  ++depth;
  auto result = call();
  --depth;
  if (c) {
    __atomic_add_fetch(&c->calls, 1, __ATOMIC_RELAXED);
    __atomic_add_fetch(&c->pixels, pixels, __ATOMIC_RELAXED);
    __atomic_add_fetch(&c->wallNs, nanoseconds(CLOCK_MONOTONIC) - wall, __ATOMIC_RELAXED);
    __atomic_add_fetch(&c->processCpuNs, nanoseconds(CLOCK_PROCESS_CPUTIME_ID) - cpu,
                       __ATOMIC_RELAXED);
  }
  return result;
}

template <class Function>
Function next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

uint64_t area(SDL_Surface* screen, Sint32 w, Sint32 h) {
  if (!screen) return 0;
  return w == 0 && h == 0 ? uint64_t(screen->w) * screen->h : uint64_t(w) * h;
}

}  // namespace

extern "C" {

int SDL_Flip(SDL_Surface* screen) {
  static auto real = next<int (*)(SDL_Surface*)>("SDL_Flip");
  return metered(area(screen, 0, 0), [&] { return real(screen); });
}

void SDL_UpdateRect(SDL_Surface* screen, Sint32 x, Sint32 y, Uint32 w, Uint32 h) {
  static auto real = next<void (*)(SDL_Surface*, Sint32, Sint32, Uint32, Uint32)>("SDL_UpdateRect");
  metered(area(screen, Sint32(w), Sint32(h)), [&] {
    real(screen, x, y, w, h);
    return 0;
  });
}

void SDL_UpdateRects(SDL_Surface* screen, int count, SDL_Rect* rects) {
  static auto real = next<void (*)(SDL_Surface*, int, SDL_Rect*)>("SDL_UpdateRects");
  uint64_t pixels = 0;
  for (int i = 0; i < count; ++i) pixels += area(screen, rects[i].w, rects[i].h);
  metered(pixels, [&] {
    real(screen, count, rects);
    return 0;
  });
}
}
