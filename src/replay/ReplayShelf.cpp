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
// "2026-12-07_05-10-33_versus.txt": names sort as the games ended.
constexpr size_t StampLength = 19;
// Far beyond the longest game a replay may hold.
constexpr off_t MaxFileBytes = 64 << 20;

bool ours(const std::string& name) {
  if (name.size() < StampLength + 5 || name.compare(name.size() - 4, 4, Suffix) != 0) return false;
  for (size_t i = 0; i < StampLength; ++i) {
    char c = name[i];
    bool separator = i == 4 || i == 7 || i == 10 || i == 13 || i == 16;
    if (separator ? (c != '-' && c != '_') : (c < '0' || c > '9')) return false;
  }
  return true;
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
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d_%H-%M-%S", &local);
  std::string base = folder + "/" + stamp + "_" + ModeNames[replay.setup.mode];
  std::string path = base + Suffix;
  // Games ended within the same second follow in order: "_versus.txt", "_versus_002.txt".
  for (int n = 2; fs::exists(path, failed) && n < 1000; ++n) {
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
