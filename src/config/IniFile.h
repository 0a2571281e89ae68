#pragma once

#include <string>

// The settings file's INI dialect, kept as one string: lookups search it, changes edit it
// in place and writing puts the whole string back. Documents the game builds look like
//   [Section]\nkey=value\n...\n\n  (sections and keys in the order first set).
class IniFile {
public:
  std::string path;
  std::string text;

  // 0 read, -1 the file cannot be opened (text is left as it was).
  int readFile(const char* filePath);
  // 0 written, -1 the file could not be written whole. The new text is swapped in whole,
  // so a failure leaves the old file untouched; only when the folder takes no new files
  // is the file written in place. A link is followed and stays a link, and the file keeps
  // its permissions.
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
