#pragma once

#include <iosfwd>
#include <string>

struct Replay;

// Exit statuses of a replay that cannot be used and of one that ends otherwise than saved.
constexpr int ReplayUnreadable = 2;
constexpr int ReplayDiffers = 1;

// Reads the replay at `path`, or the newest one of the folder when path is empty; 0 when
// it could be read, else ReplayUnreadable with one line on err naming the file and why.
int readReplay(const std::string& path, const std::string& folder, Replay& replay,
               std::ostream& err);
// --check-replay: plays the file without a window, prints its end lines on out; 0 when
// they are the ones the file stored, ReplayDiffers when not, ReplayUnreadable when the
// file cannot be used.
int checkReplay(const std::string& path, std::ostream& out, std::ostream& err);
