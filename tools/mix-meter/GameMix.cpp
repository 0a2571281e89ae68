#include "GameMix.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>

namespace {

// The mixer saturates at 32767 and -32768; mono output passes through sdl12-compat's
// conversion to two sides on its way to the device, which scales by 32767/32768, so a
// saturated mono sample arrives as 32766 or -32767.
constexpr int FullScale = 32766;
constexpr int WindowsPerSecond = 100;  // 10 ms windows: an effect is told apart to that
constexpr size_t PeakWindows = 5;      // 50 ms: the span an effect's loudness is taken over
constexpr double AroundSeconds = 1.0;  // of music an effect is heard against
constexpr size_t MergeWindows = 5;     // effects closer than this are heard as one
// The tune before dies away over the first milliseconds of the game's: what differs from
// the music there is no effect.
constexpr size_t TuneChangeWindows = 1;
// Where the music starts in the game is found from blocks of it looked for sample for
// sample: one every half second, each a vote for the start it implies.
constexpr size_t ProbeFrames = 1024;
constexpr double ProbeStepSeconds = 0.5;
constexpr int LeastVotes = 3;           // blocks that must agree
constexpr double QuietProbeDb = -50.0;  // a block quieter than this could be found anywhere
constexpr int MatchTolerance = 0;       // the same mixer, the same samples

double decibels(double sumOfSquares, size_t count) {
  if (count == 0) return -200;
  double rms = std::sqrt(sumOfSquares / static_cast<double>(count)) / 32768.0;
  return 20.0 * std::log10(std::max(rms, 1e-10));
}

double squares(const int16_t* from, size_t count) {
  double sum = 0;
  for (size_t i = 0; i < count; ++i) sum += static_cast<double>(from[i]) * from[i];
  return sum;
}

// The frames of `game` where `music` (from its frame `first`) may begin: each start at
// least LeastVotes blocks of the music agree on.
std::vector<long> musicStarts(const Recording& game, const Recording& music, size_t first) {
  std::map<long, int> votes;
  const size_t step = static_cast<size_t>(ProbeStepSeconds * music.rate);
  for (size_t from = first; from + ProbeFrames <= music.frames(); from += step) {
    const int16_t* block = &music.samples[2 * from];
    if (decibels(squares(block, 2 * ProbeFrames), 2 * ProbeFrames) < QuietProbeDb) continue;
    for (size_t at = 0; at + ProbeFrames <= game.frames(); ++at)
      if (std::equal(block, block + 2 * ProbeFrames, &game.samples[2 * at]))
        ++votes[static_cast<long>(at) - static_cast<long>(from - first)];
  }
  std::vector<long> starts;
  for (const auto& [start, count] : votes)
    if (count >= LeastVotes) starts.push_back(start);
  return starts;
}

// For each window of the game from `start` on, while both recordings last: whether it is
// the music to the sample (frame f of the game against frame f - shift of the music).
std::vector<bool> musicOnly(const Recording& game, const Recording& music, size_t start, long shift,
                            size_t window) {
  std::vector<bool> only;
  for (size_t at = start; at + window <= game.frames() && at - shift + window <= music.frames();
       at += window) {
    bool same = true;
    for (size_t i = 2 * at; i < 2 * (at + window) && same; ++i)
      same = std::abs(game.samples[i] - music.samples[i - 2 * shift]) <= MatchTolerance;
    only.push_back(same);
  }
  return only;
}

}  // namespace

bool readRecording(const std::string& path, int rate, Recording& out, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) {
    error = "cannot read " + path;
    return false;
  }
  out.rate = rate;
  out.samples.resize(bytes.size() / 4 * 2);
  for (size_t i = 0; i < out.samples.size(); ++i)
    out.samples[i] = static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                          static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
  if (out.samples.empty()) error = path + " holds no sound";
  return !out.samples.empty();
}

double GameMix::medianLiftDb() const {
  if (effects.empty()) return -200;
  std::vector<double> lifts;
  for (const EffectHeard& effect : effects) lifts.push_back(effect.liftDb());
  std::nth_element(lifts.begin(), lifts.begin() + lifts.size() / 2, lifts.end());
  return lifts[lifts.size() / 2];
}

GameMix measureGameMix(const Recording& game, const Recording& music) {
  GameMix mix;
  double peak = 0;
  for (int16_t s : game.samples) {
    peak = std::max(peak, std::fabs(s / 32768.0));
    mix.fullScale += std::abs(s) >= FullScale;
  }
  mix.peakDb = 20.0 * std::log10(std::max(peak, 1e-10));
  if (game.rate != music.rate || game.rate < WindowsPerSecond) {
    mix.error = "the recordings differ in rate";
    return mix;
  }
  size_t first = 0;
  while (first < music.frames() && !music.samples[2 * first] && !music.samples[2 * first + 1])
    ++first;
  // A stretch of a tune may come back later in it, sample for sample, and be found there
  // too: the start that explains most of the recording is the one.
  const size_t window = static_cast<size_t>(game.rate / WindowsPerSecond);
  long start = -1;
  std::vector<bool> only;
  size_t explained = 0;
  for (long candidate : musicStarts(game, music, first)) {
    if (candidate < 0) continue;
    std::vector<bool> windows = musicOnly(game, music, static_cast<size_t>(candidate),
                                          candidate - static_cast<long>(first), window);
    const size_t count = static_cast<size_t>(std::count(windows.begin(), windows.end(), true));
    if (count > explained) start = candidate, only = std::move(windows), explained = count;
  }
  if (start < 0) {
    mix.error = "the music played alone is nowhere in the game's recording";
    return mix;
  }
  // Frame f of the game holds frame f - shift of the music.
  const long shift = start - static_cast<long>(first);
  mix.musicStart = static_cast<double>(start) / game.rate;
  // Play ends where the music stops being the module's (the menu's comes back).
  while (!only.empty() && !only.back()) only.pop_back();
  mix.playSeconds = static_cast<double>(only.size()) / WindowsPerSecond;
  auto frameOf = [&](size_t w) { return static_cast<size_t>(start) + w * window; };

  double musicSquares = 0;
  size_t musicCount = 0;
  for (size_t w = 0; w < only.size(); ++w) {
    if (!only[w]) continue;
    musicSquares += squares(&game.samples[2 * frameOf(w)], 2 * window);
    musicCount += 2 * window;
  }
  mix.musicRmsDb = decibels(musicSquares, musicCount);
  mix.musicOnlySeconds = static_cast<double>(musicCount / 2) / game.rate;

  // The effect alone: the recording less the music.
  auto effectSquares = [&](size_t w) {
    double sum = 0;
    for (size_t i = 2 * frameOf(w); i < 2 * frameOf(w + 1); ++i) {
      double d = game.samples[i] - music.samples[i - 2 * shift];
      sum += d * d;
    }
    return sum;
  };
  const size_t aroundWindows = static_cast<size_t>(AroundSeconds * WindowsPerSecond);
  for (size_t w = TuneChangeWindows; w < only.size();) {
    if (only[w]) {
      ++w;
      continue;
    }
    size_t end = w, quiet = 0;
    for (; end < only.size() && quiet <= MergeWindows; ++end) quiet = only[end] ? quiet + 1 : 0;
    end -= quiet;
    // The loudest 50 ms of the effect, and the music over the second around it.
    EffectHeard heard;
    size_t loudest = w;
    for (size_t from = w; from < end; ++from) {
      double sum = 0;
      for (size_t k = from; k < std::min(from + PeakWindows, end); ++k) sum += effectSquares(k);
      double db = decibels(sum, 2 * window * PeakWindows);
      if (db > heard.peakDb) heard.peakDb = db, loudest = from;
    }
    size_t aroundFrom = loudest > aroundWindows / 2 ? loudest - aroundWindows / 2 : 0;
    size_t aroundTo = std::min(aroundFrom + aroundWindows, only.size());
    heard.musicDb = decibels(squares(&music.samples[2 * (frameOf(aroundFrom) - shift)],
                                     2 * window * (aroundTo - aroundFrom)),
                             2 * window * (aroundTo - aroundFrom));
    heard.at = static_cast<double>(frameOf(loudest)) / game.rate;
    mix.effects.push_back(heard);
    w = end;
  }
  return mix;
}
