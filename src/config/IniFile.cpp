#include "IniFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

int IniFile::readFile(const char* filePath) {
  path = filePath;
  problem.clear();
  // Only a regular file is opened at all (opening a device may do things), and that
  // without blocking, should a FIFO take its place in between.
  struct stat status;
  if (stat(filePath, &status) == 0 && !S_ISREG(status.st_mode)) {
    problem = "not a regular file";
    return Unusable;
  }
  const int descriptor = open(filePath, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) {
    if (errno == ENOENT) return Missing;
    problem = std::strerror(errno);
    return Unusable;
  }
  if (fstat(descriptor, &status) != 0)
    problem = std::strerror(errno);
  else if (!S_ISREG(status.st_mode))
    problem = "not a regular file";
  else if (status.st_size > LargestFile)
    problem = "larger than " + std::to_string(LargestFile >> 20) + " MiB";
  std::string bytes(problem.empty() ? static_cast<size_t>(status.st_size) : 0, '\0');
  size_t got = 0;
  while (problem.empty() && got < bytes.size()) {
    ssize_t step = read(descriptor, &bytes[got], bytes.size() - got);
    if (step < 0 && errno == EINTR) continue;
    if (step < 0) problem = std::strerror(errno);
    if (step <= 0) break;
    got += static_cast<size_t>(step);
  }
  close(descriptor);
  if (!problem.empty()) return Unusable;
  bytes.resize(got);
  takeBytes(std::move(bytes));
  return Read;
}

void IniFile::takeBytes(std::string bytes) {
  for (size_t nul = bytes.find('\0'); nul != std::string::npos; nul = bytes.find('\0', nul)) {
    size_t start = bytes.rfind('\n', nul);
    start = start == std::string::npos ? 0 : start + 1;
    size_t end = bytes.find('\n', nul);
    bytes.erase(start, (end == std::string::npos ? bytes.size() : end) - start);
    nul = start;
  }
  text = std::move(bytes);
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

// Overwrites a file that cannot be swapped for a new one. Nothing is truncated: the new
// text, padded with empty lines to at least the old length, goes in with one write into
// the first page, which a kill cannot cut in two. So the file always holds the old
// settings or the new ones.
std::string overwrite(const std::string& path, std::string text, off_t oldSize) {
  const size_t oldLength = static_cast<size_t>(oldSize);
  if (text.size() < oldLength) text.append(oldLength - text.size(), '\n');
  if (text.size() > static_cast<size_t>(sysconf(_SC_PAGESIZE)))
    return "the folder takes no new files and the file is too long to overwrite safely";
  const int descriptor = open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (descriptor < 0) return std::strerror(errno);
  ssize_t wrote = pwrite(descriptor, text.data(), text.size(), 0);
  std::string problem = wrote < 0 ? std::strerror(errno) : "";
  if (wrote >= 0 && static_cast<size_t>(wrote) != text.size()) problem = "the disk is full";
  if (fsync(descriptor) != 0 && problem.empty()) problem = std::strerror(errno);
  if (close(descriptor) != 0 && problem.empty()) problem = std::strerror(errno);
  return problem;
}

}  // namespace

int IniFile::writeFile(const char* filePath) {
  problem.clear();
  const std::string target = followLinks(filePath);
  struct stat old;
  const bool existed = stat(target.c_str(), &old) == 0;
  // A device, FIFO, socket or folder in the file's place (or at the end of its link) is
  // the player's, not ours to replace with a file.
  if (existed && !S_ISREG(old.st_mode)) {
    problem = "not a regular file";
    return -1;
  }
  // Write the new document beside the old one and swap it in only once it is complete,
  // so a full disk or a killed process never leaves a truncated settings file behind.
  const std::string temporary = target + ".new";
  FILE* file = std::fopen(temporary.c_str(), "wt");
  if (!file) {
    problem = std::strerror(errno);
    // A folder that takes no new files may still hold a file the player can write.
    if (existed) problem = overwrite(target, text, old.st_size);
    return problem.empty() ? 0 : -1;
  }
  if (existed) fchmod(fileno(file), old.st_mode & 07777);  // the player's permissions stay
  if (writeWhole(file, text) && std::rename(temporary.c_str(), target.c_str()) == 0) return 0;
  problem = errno == EFBIG || errno == ENOSPC ? "the disk is full" : std::strerror(errno);
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
