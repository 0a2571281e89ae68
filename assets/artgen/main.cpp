// Paints every picture the game reads: pieces, cursors, animations, the bitmap font and
// the backgrounds, into the data folder, plus a contact sheet for people to judge.
// With --check first, it then checks them against what the game relies on instead.
#include <cstdio>
#include <exception>
#include <string>

#include "Output.h"

int main(int argc, char** argv) {
  bool check = argc == 4 && std::string(argv[1]) == "--check";
  if (check) ++argv;
  if (argc != 3 + check) {
    std::fprintf(stderr, "usage: %s [--check] <data folder> <contact sheet.png>\n", argv[0]);
    return 2;
  }
  try {
    Output out(argv[1]);
    makePieces(out);
    makeCursors(out);
    makeEffects(out);
    makeFont(out);
    makeBackgrounds(out);
    if (check) return selfCheck(out) == 0 ? 0 : 1;
    writeContactSheet(out, argv[2]);
    std::printf("artgen: %zu pictures written to %s\n", out.entries().size(), argv[1]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "artgen: %s\n", e.what());
    return 1;
  }
  return 0;
}
