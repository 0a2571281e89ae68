#include "ReplayShelf.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
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
// A save is written whole under ".unfinished-<random>.txt" first and named at the end.
const char* const UnfinishedPrefix = ".unfinished-";
constexpr int UnfinishedNameAttempts = 100;
// No save takes this long: an unfinished file older than this was left by a killed save.
constexpr auto StaleAfter = std::chrono::hours(1);
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

bool unfinished(const std::string& name) {
  return name.rfind(UnfinishedPrefix, 0) == 0 && name.size() > std::strlen(Suffix) &&
         name.compare(name.size() - std::strlen(Suffix), std::string::npos, Suffix) == 0;
}

// The regular files of the folder whose names are `wanted`, in order.
std::vector<std::string> filesNamed(const std::string& folder, bool (*wanted)(const std::string&)) {
  std::vector<std::string> names;
  std::error_code failed, notRegular;
  for (fs::directory_iterator it(folder, failed), end; !failed && it != end; it.increment(failed)) {
    std::string name = it->path().filename().string();
    if (wanted(name) && it->is_regular_file(notRegular)) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

uint32_t randomBits() {
  try {
    return std::random_device()();
  } catch (const std::exception&) {
    return static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  }
}

// Makes the file a save is written into, under a name no other save can be using at the
// same time: random rather than the PID, which repeats (in a sandbox every run of the game
// may have the same one). Its descriptor, or -1 with errno.
int createUnfinished(const std::string& folder, std::string& path) {
  for (int attempt = 0; attempt < UnfinishedNameAttempts; ++attempt) {
    char name[40];
    std::snprintf(name, sizeof name, "%s%08" PRIx32 "%s", UnfinishedPrefix, randomBits(), Suffix);
    path = folder + "/" + name;
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Writes the text into a new unfinished file of the folder, flushed to the disk; its path,
// or "" with why in `error` (and no file left).
std::string writeUnfinished(const std::string& folder, const std::string& text,
                            std::string& error) {
  std::string path;
  int fd = createUnfinished(folder, path);
  if (fd < 0) {
    error = std::strerror(errno);
    return "";
  }
  size_t done = 0;
  while (done < text.size()) {
    ssize_t wrote = ::write(fd, text.data() + done, text.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) {
      error = std::strerror(wrote < 0 ? errno : ENOSPC);
      ::close(fd);
      ::unlink(path.c_str());
      return "";
    }
    done += static_cast<size_t>(wrote);
  }
  if (::fsync(fd) != 0 || ::close(fd) != 0) {
    error = std::strerror(errno);
    ::unlink(path.c_str());
    return "";
  }
  return path;
}

// Gives the finished file its name only while no file has it: another game may have ended
// in the same second and taken the name since. False with errno EEXIST when it is taken.
bool nameWithoutReplacing(const std::string& from, const std::string& to) {
#ifdef __EMSCRIPTEN__
  // A web page's files are its own (each page has its copy of the browser's storage), and
  // they have neither that rename nor second names: nobody can take the name in between.
  struct stat seen;
  if (::stat(to.c_str(), &seen) == 0) {
    errno = EEXIST;
    return false;
  }
  return ::rename(from.c_str(), to.c_str()) == 0;
#else
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system without that rename: a second name, which cannot replace a file either.
  if (::link(from.c_str(), to.c_str()) != 0) return false;
  ::unlink(from.c_str());
  return true;
#endif
}

// The number (1 for none, then 2, 3...) of the newest kept game whose name starts `named`
// (a second's stamp and a mode), or 0 when none is kept.
int newestNumber(const std::string& folder, const std::string& named) {
  int newest = 0;
  for (const std::string& name : filesNamed(folder, ours)) {
    if (name.compare(0, named.size(), named) != 0) continue;
    std::string rest = name.substr(named.size());
    int number = rest == Suffix ? 1 : std::atoi(rest.c_str() + 1);
    newest = std::max(newest, number);
  }
  return newest;
}

// Removes what saves killed long ago left; a save in progress in another game is younger.
void clearStaleUnfinished(const std::string& folder) {
  const auto before = fs::file_time_type::clock::now() - StaleAfter;
  for (const std::string& name : filesNamed(folder, unfinished)) {
    std::error_code failed;
    const fs::path path = folder + "/" + name;
    if (fs::last_write_time(path, failed) < before && !failed) fs::remove(path, failed);
  }
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
  std::string named = std::string(stamp) + "_" + ModeNames[replay.setup.mode];
  std::string base = folder + "/" + named;
  std::string temporary = writeUnfinished(folder, replay.text(), error);
  if (temporary.empty()) return "";
  std::string path;
  int why = EEXIST;
  // A newer game of the same second sorts after every older one, even where an older one's
  // name came free when the oldest games were pruned: the newest is the last by name.
  for (int n = newestNumber(folder, named) + 1; n <= MostPerSecond && path.empty() && why == EEXIST;
       ++n) {
    char number[8] = "";
    if (n > 1) std::snprintf(number, sizeof number, "_%03d", n);
    if (nameWithoutReplacing(temporary, base + number + Suffix))
      path = base + number + Suffix;
    else
      why = errno;
  }
  if (path.empty()) {
    error = why == EEXIST ? "every name of this second is taken" : std::strerror(why);
    ::unlink(temporary.c_str());
    return "";
  }
  std::vector<std::string> names = filesNamed(folder, ours);
  for (size_t i = 0; i + static_cast<size_t>(kept) < names.size(); ++i)
    fs::remove(folder + "/" + names[i], failed);
  clearStaleUnfinished(folder);
  return path;
}

std::string newest(const std::string& folder) {
  std::vector<std::string> names = filesNamed(folder, ours);
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
