#pragma once

#include <string>
#include <vector>

#include "Canvas.h"
#include "Encode.h"

// Writes the game's files under the data folder and remembers every picture for the
// contact sheet, grouped the way the sheet shows them.
class Output {
public:
  explicit Output(std::string dataDir);

  void png(const std::string& group, const std::string& file, const Canvas& picture,
           Storage storage, KeyColour key = {0, 0, 0});
  void jpeg(const std::string& group, const std::string& file, const Canvas& picture);

  struct Entry {
    std::string group;
    std::string file;
    Canvas picture;  // as the game shows it: keyed pixels already transparent
    Storage storage = Storage::Opaque;
    KeyColour key = {0, 0, 0};
  };
  const std::vector<Entry>& entries() const { return shown; }
  const std::string& dataDir() const { return root; }

private:
  std::string root;
  std::vector<Entry> shown;
};

// Every picture of one kind; each writes its files through the output.
void makePieces(Output& out);
void makeCursors(Output& out);
void makeEffects(Output& out);
void makeFont(Output& out);
void makeBackgrounds(Output& out);
void writeContactSheet(const Output& out, const std::string& path);
// Checks the pictures against what the game's drawing code relies on; prints each
// failure and returns how many there were.
int selfCheck(const Output& out);

// The piece picture alone (also used on backgrounds and the icon).
Canvas pieceImage(int colour);
