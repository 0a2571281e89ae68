#pragma once

#include <string>

// The settings file's INI dialect, kept as one string: lookups search it, changes edit it
// in place and writing puts the whole string back. Documents the game builds look like
//   [Section]\nkey=value\n...\n\n  (sections and keys in the order first set).
class IniFile {
public:
  std::string path;
  std::string text;

  // Why the last readFile or writeFile failed, for the player to read.
  std::string problem;

  // What readFile found. Nothing in the file's place (a FIFO, a device) can block it.
  static constexpr int Read = 0;
  // There is no such file; text is left as it was.
  static constexpr int Missing = -1;
  // A file is there but is not one to read or to write over: it cannot be read, is not a
  // regular file or is larger than LargestFile. text is left as it was.
  static constexpr int Unusable = -2;
  static constexpr long LargestFile = 1 << 20;  // bytes
  int readFile(const char* filePath);
  // Makes the bytes of a file the document. A NUL byte is a bad character like any other:
  // the line holding it is blanked, so it reads as a malformed line and nothing more.
  void takeBytes(std::string bytes);
  // 0 written, -1 not (problem says why). The new text is swapped in whole, so a failure
  // leaves the old file untouched; only when the folder takes no new files is the file
  // overwritten in place, in one write. A link is followed and stays a link, and the file
  // keeps its permissions. Anything but a regular file is never written over.
  int writeFile(const char* filePath);

  std::string getString(const char* section, const char* key, const std::string& fallback) const;
  int getInt(const char* section, const char* key, int fallback) const;
  void setString(const char* section, const char* key, const std::string& value);
  void setInt(const char* section, const char* key, int value);

private:
  struct Location {
    bool sectionFound = false;
    bool keyFound = false;
    size_t sectionEnd = 0;  // n: where the next section starts, or the text's length
    size_t keyAt = 0;       // k: where key + "=" starts
  };
  Location find(const char* section, const char* key) const;
};
