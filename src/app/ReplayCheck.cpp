#include "ReplayCheck.h"

#include <ostream>

#include "Replay.h"
#include "ReplayShelf.h"
#include "StatusText.h"

int readReplay(const std::string& path, const std::string& folder, Replay& replay,
               std::ostream& err) {
  std::string file = path.empty() ? ReplayShelf::newest(folder) : path;
  if (file.empty()) {
    err << "pigmora: there are no replays in " << folder << "/ yet\n";
    return ReplayUnreadable;
  }
  std::string error;
  if (!ReplayShelf::load(file, replay, error)) {
    err << "pigmora: " << error << "\n";
    return ReplayUnreadable;
  }
  return 0;
}

int checkReplay(const std::string& path, std::ostream& out, std::ostream& err) {
  Replay replay;
  if (int status = readReplay(path, ReplayShelf::Folder, replay, err)) return status;
  ReplayRun run = playReplay(replay);
  if (run.partedAt) {
    err << "pigmora: " << path << ": " << run.parting << "\n";
    return ReplayDiffers;
  }
  out << (run.over ? "" : "the game did not end\n") << resultsInWords(run.game, replay.leaver);
#ifdef __EMSCRIPTEN__
  // A page has no exit status to read: its console shows the end as the file keeps it.
  out << savedEndLines(run.game, replay.format);
#endif
  if (run.endsAsSaved(replay)) return 0;
  err << "pigmora: " << path << ": the game ends otherwise than it did when saved\n";
  return ReplayDiffers;
}
