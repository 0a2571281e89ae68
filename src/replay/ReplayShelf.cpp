#include "ReplayShelf.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <vector>

namespace fs = std::filesystem;

namespace ReplayShelf {
const char* const Folder = "replays";

namespace {
const char* const Suffix = ".txt";
const char* const ModeNames[] = {"practice", "versus", "survival"};
// "2026-12-07_05-10-33_versus.txt": names sort as the games ended; 'd' stands for a digit.
const char* const StampShape = "dddd-dd-dd_dd-dd-dd";
const char* const StampFormat = "%Y-%m-%d_%H-%M-%S";
// Games ended within the same second follow in order: "_versus.txt", "_versus_002.txt".
constexpr int MostPerSecond = 999;
const char* const NumberShape = "_ddd";
// Far beyond the longest game a replay may hold.
constexpr off_t MaxFileBytes = 64 << 20;

// Whether `text` from `at` has the shape, 'd' for any digit; `at` moves past it.
bool shaped(const std::string& text, size_t& at, const char* shape) {
  for (; *shape; ++shape, ++at) {
    if (at == text.size()) return false;
    bool digit = text[at] >= '0' && text[at] <= '9';
    if (*shape == 'd' ? !digit : text[at] != *shape) return false;
  }
  return true;
}

// Only a name the saver itself makes, exactly: the player's own files in the folder,
// however alike, are neither pruned nor played as the newest game.
bool ours(const std::string& name) {
  size_t at = 0;
  if (!shaped(name, at, StampShape) || !shaped(name, at, "_")) return false;
  for (const char* mode : ModeNames) {
    size_t end = at;
    if (!shaped(name, end, mode)) continue;
    size_t numbered = end;
    if (shaped(name, numbered, NumberShape)) end = numbered;
    if (name.compare(end, std::string::npos, Suffix) == 0) return true;
  }
  return false;
}

std::vector<std::string> ourFiles(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code failed;
  for (fs::directory_iterator it(folder, failed), end; !failed && it != end; it.increment(failed)) {
    std::string name = it->path().filename().string();
    if (ours(name) && it->is_regular_file(failed)) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool writeWhole(const std::string& path, const std::string& text, std::string& error) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = std::strerror(errno);
    return false;
  }
  size_t done = 0;
  while (done < text.size()) {
    ssize_t wrote = ::write(fd, text.data() + done, text.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) {
      error = std::strerror(wrote < 0 ? errno : ENOSPC);
      ::close(fd);
      ::unlink(path.c_str());
      return false;
    }
    done += static_cast<size_t>(wrote);
  }
  if (::fsync(fd) != 0 || ::close(fd) != 0) {
    error = std::strerror(errno);
    ::unlink(path.c_str());
    return false;
  }
  return true;
}
}  // namespace

std::string save(const Replay& replay, const std::string& folder, int kept, std::string& error) {
  std::error_code failed;
  fs::create_directories(folder, failed);
  if (failed) {
    error = failed.message();
    return "";
  }
  char stamp[32];
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  std::strftime(stamp, sizeof stamp, StampFormat, &local);
  std::string base = folder + "/" + stamp + "_" + ModeNames[replay.setup.mode];
  std::string path = base + Suffix;
  for (int n = 2; fs::exists(path, failed) && n <= MostPerSecond; ++n) {
    char number[8];
    std::snprintf(number, sizeof number, "_%03d", n);
    path = base + number + Suffix;
  }
  std::string temporary = folder + "/.unfinished-" + std::to_string(::getpid()) + Suffix;
  if (!writeWhole(temporary, replay.text(), error)) return "";
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    error = std::strerror(errno);
    ::unlink(temporary.c_str());
    return "";
  }
  std::vector<std::string> names = ourFiles(folder);
  for (size_t i = 0; i + static_cast<size_t>(kept) < names.size(); ++i)
    fs::remove(folder + "/" + names[i], failed);
  return path;
}

std::string newest(const std::string& folder) {
  std::vector<std::string> names = ourFiles(folder);
  return names.empty() ? "" : folder + "/" + names.back();
}

bool load(const std::string& path, Replay& replay, std::string& error) {
  // Only a regular file is read: a FIFO or a device would block or never end.
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    error = path + ": " + std::strerror(errno);
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    error = path + ": not a regular file";
    return false;
  }
  if (info.st_size > MaxFileBytes) {
    error = path + ": too large for a replay";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": cannot be read";
    return false;
  }
  std::string why;
  if (!replay.read(in, why)) {
    error = path + ": " + why;
    return false;
  }
  return true;
}
}  // namespace ReplayShelf
