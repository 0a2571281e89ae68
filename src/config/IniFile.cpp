#include "IniFile.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

int IniFile::readFile(const char* filePath) {
  path = filePath;
  struct stat status;
  if (stat(filePath, &status) != 0) return -1;
  FILE* file = std::fopen(filePath, "rt");
  if (!file) return -1;
  std::string buffer(static_cast<size_t>(status.st_size), '\0');
  size_t got = buffer.empty() ? 0 : std::fread(&buffer[0], 1, buffer.size(), file);
  std::fclose(file);
  buffer.resize(got);
  // A NUL byte ends the document, as it would for a C string.
  size_t nul = buffer.find('\0');
  if (nul != std::string::npos) buffer.resize(nul);
  text = std::move(buffer);
  return 0;
}

namespace {

// As many links in a chain as the system itself follows.
constexpr int MostLinksFollowed = 40;

// Where the settings really live. A link (into a dotfiles checkout, say) is followed to
// its target, which need not exist yet, so that saving replaces the target and the link
// the player made stays a link.
std::string followLinks(std::string path) {
  for (int hop = 0; hop < MostLinksFollowed; ++hop) {
    std::error_code error;
    if (!std::filesystem::is_symlink(std::filesystem::symlink_status(path, error))) break;
    std::filesystem::path target = std::filesystem::read_symlink(path, error);
    if (error) break;
    if (target.is_relative()) target = std::filesystem::path(path).parent_path() / target;
    path = target.string();
  }
  return path;
}

// Writes the text, flushes it to the disk and closes the file; false if any step failed.
bool writeWhole(FILE* file, const std::string& text) {
  bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  ok = std::fflush(file) == 0 && ok;
  ok = fsync(fileno(file)) == 0 && ok;
  return std::fclose(file) == 0 && ok;
}

}  // namespace

int IniFile::writeFile(const char* filePath) {
  const std::string target = followLinks(filePath);
  struct stat old;
  const bool existed = stat(target.c_str(), &old) == 0;
  // Write the new document beside the old one and swap it in only once it is complete,
  // so a full disk or a killed process never leaves a truncated settings file behind.
  const std::string temporary = target + ".new";
  FILE* file = std::fopen(temporary.c_str(), "wt");
  if (!file) {
    // A folder that takes no new files may still hold a file the player can write:
    // write that in place, as a plain save would.
    if (!existed) return -1;
    file = std::fopen(target.c_str(), "wt");
    return file && writeWhole(file, text) ? 0 : -1;
  }
  if (existed) fchmod(fileno(file), old.st_mode & 07777);  // the player's permissions stay
  if (writeWhole(file, text) && std::rename(temporary.c_str(), target.c_str()) == 0) return 0;
  std::remove(temporary.c_str());
  return -1;
}

IniFile::Location IniFile::find(const char* section, const char* key) const {
  Location at;
  size_t header = text.find(std::string("[") + section + "]");
  if (header == std::string::npos) return at;
  at.sectionFound = true;
  // A section ends where a line starts with "[". Only a "[" at the start of a line
  // counts, so a value holding one cannot cut its section short.
  size_t next = text.find("\n[", header + 1);
  at.sectionEnd = next == std::string::npos ? text.size() : next + 1;
  size_t keyAt = text.find(std::string(key) + "=", header);
  if (keyAt != std::string::npos && keyAt + 1 < at.sectionEnd) {
    at.keyFound = true;
    at.keyAt = keyAt;
  }
  return at;
}

std::string IniFile::getString(const char* section, const char* key,
                               const std::string& fallback) const {
  Location at = find(section, key);
  if (!at.keyFound) return fallback;
  size_t start = at.keyAt + std::string(key).size() + 1;
  size_t end = text.find('\n', start);
  std::string value =
      text.substr(start, end == std::string::npos ? std::string::npos : end - start);
  return value.empty() ? fallback : value;
}

int IniFile::getInt(const char* section, const char* key, int fallback) const {
  Location at = find(section, key);
  if (!at.keyFound) return fallback;
  // Read like sscanf's "%u": blanks skipped, optional sign, digits, anything after
  // ignored; the number wraps as an unsigned 32-bit value, so -1 reads back as -1.
  const char* start = text.c_str() + at.keyAt + std::string(key).size() + 1;
  while (std::isspace(static_cast<unsigned char>(*start))) ++start;
  const char* digits = start;
  if (*digits == '+' || *digits == '-') ++digits;
  if (!std::isdigit(static_cast<unsigned char>(*digits))) return fallback;
  errno = 0;
  unsigned long long value = std::strtoull(start, nullptr, 10);
  if (errno == ERANGE) value = ~0ull;
  return static_cast<int>(static_cast<unsigned int>(value));
}

void IniFile::setString(const char* section, const char* key, const std::string& value) {
  std::string line = std::string(key) + "=" + value + "\n";
  Location at = find(section, key);
  if (!at.sectionFound) {
    text += std::string("[") + section + "]\n" + line + "\n";
  } else if (!at.keyFound) {
    // Just before the empty line that closes the section.
    text.insert(at.sectionEnd - 1, line);
  } else {
    size_t lineEnd = text.find('\n', at.keyAt);
    if (lineEnd == std::string::npos)
      text.insert(at.keyAt, line);
    else
      text.replace(at.keyAt, lineEnd + 1 - at.keyAt, line);
  }
}

void IniFile::setInt(const char* section, const char* key, int value) {
  setString(section, key, std::to_string(value));
}
