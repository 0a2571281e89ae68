// What the game and the player rely on in the sounds, checked before they are written:
// effects that start and stop without a click, never clip and are never too quiet,
// chain sounds that climb, and modules a tracker reads that loop back to their start.
#include "SelfCheck.h"

#include <cmath>
#include <cstdio>

#include "Effects.h"
#include "S3mWriter.h"
#include "Songs.h"

namespace {
int failures = 0;
void expect(bool ok, const std::string& what) {
  if (!ok) std::printf("audiogen check failed: %s\n", what.c_str()), ++failures;
}
}  // namespace

int selfCheck() {
  double previousPitch = 0;
  for (const Effect& effect : makeEffects()) {
    const Samples& s = effect.sound;
    double peak = 0, sum = 0;
    int crossings = 0;
    for (size_t i = 0; i < s.size(); ++i) {
      peak = std::max(peak, double(std::fabs(s[i])));
      sum += double(s[i]) * s[i];
      crossings += i > 0 && (s[i - 1] < 0) != (s[i] < 0);
    }
    expect(s.size() > 1000 && peak < 0.95, effect.file + " never clips");
    expect(20 * std::log10(std::sqrt(sum / s.size())) > -30, effect.file + " is loud enough");
    expect(std::fabs(s.front()) < 0.01 && std::fabs(s.back()) < 0.01,
           effect.file + " starts and stops without a click");
    if (effect.file.rfind("Reaction", 0) != 0) continue;
    // Zero crossings per sample follow the pitch (and brightness) of a tone.
    double pitch = double(crossings) / s.size();
    expect(pitch > previousPitch * 1.05, effect.file + " sounds higher than the chain before");
    previousPitch = pitch;
  }
  for (SongPlan (*plan)() : {ingameOne, ingameTwo, menuSong}) {
    S3mModule module = composeSong(plan());
    expect(encodeS3m(module).substr(0x2c, 4) == "SCRM",
           module.title + " is a Scream Tracker 3 module");
    // One jump, on the last pattern played, back to the first order.
    for (size_t p = 0; p < module.patterns.size(); ++p) {
      int jumps = 0, toStart = 0;
      for (const auto& row : module.patterns[p].cells)
        for (const S3mCell& cell : row)
          jumps += cell.command == 2, toStart += cell.command == 2 && cell.info == 0;
      bool last = p == module.orders.back();
      expect(jumps == last && toStart == last, module.title + ": pattern " + std::to_string(p) +
                                                   (last ? " loops to the start" : " runs on"));
    }
  }
  std::printf("audiogen check: %d failures\n", failures);
  return failures;
}
