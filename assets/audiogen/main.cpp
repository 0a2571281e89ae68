// Writes the game's sound effects and music modules into the folder given on the
// command line. The output depends on nothing but this program, so every build
// produces the same files. With --check instead of a folder it checks them, writing
// nothing.

#include <cstdio>
#include <string>

#include "Effects.h"
#include "S3mWriter.h"
#include "SelfCheck.h"
#include "Songs.h"
#include "WavWriter.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <Sounds folder>\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  if (folder == "--check") return selfCheck() == 0 ? 0 : 1;
  try {
    for (const Effect& effect : makeEffects()) {
      if (!writeFile(folder + "/" + effect.file, encodeWav(effect.sound, EffectRate))) {
        std::fprintf(stderr, "audiogen: cannot write %s/%s\n", folder.c_str(), effect.file.c_str());
        return 1;
      }
    }
    const struct {
      const char* file;
      SongPlan (*plan)();
    } songs[] = {{"ingame1.s3m", ingameOne}, {"ingame2.s3m", ingameTwo}, {"menu.s3m", menuSong}};
    for (const auto& song : songs) {
      S3mModule module = composeSong(song.plan());
      if (!writeFile(folder + "/" + song.file, encodeS3m(module))) {
        std::fprintf(stderr, "audiogen: cannot write %s/%s\n", folder.c_str(), song.file);
        return 1;
      }
      std::printf("audiogen: %s, %.3f s a pass\n", song.file, s3mDuration(module));
    }
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "audiogen: %s\n", failure.what());
    return 1;
  }
  return 0;
}
