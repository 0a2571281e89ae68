#include "MatchView.h"

namespace {
constexpr int64_t MsPerSecond = 1000;

// The words for a match's end, as the player at this machine reads them.
std::string endingText(const MatchEvent& ended, bool started) {
  std::string silence = "nothing came\nfor " + std::to_string(ended.silentMs / MsPerSecond) + " s";
  if (!started && ended.end == MatchEnd::Lost) return "The game could not start: " + silence;
  switch (ended.end) {
    case MatchEnd::GameOver:
      return "";  // the results say it
    case MatchEnd::LocalLeft:
      return "You left the game";
    case MatchEnd::RemoteLeft:
      return "The other player left: you win";
    case MatchEnd::Lost:
      return "Connection lost: " + silence + ". No winner";
    case MatchEnd::Gone:
      return "The other player has gone";
    case MatchEnd::Parted:
      return "The two games parted at tick " + std::to_string(ended.tick) +
             ":\nthe game is stopped";
    case MatchEnd::BadSetup:
      return "The other player's game could not be started";
  }
  return "";
}
}  // namespace

MatchView::MatchView(const NetMatch& match)
    : leftPlayer(match.localSide()), notice("Starting..."), match(match) {}

void MatchView::take(const MatchEvent& event) {
  switch (event.type) {
    case MatchEvent::Type::Started:
    case MatchEvent::Type::Resumed:
      notice.clear();
      break;
    case MatchEvent::Type::Interrupted:
      notice = "The connection is interrupted...\nEsc leaves the game";
      break;
    case MatchEvent::Type::Desync:
      break;
    case MatchEvent::Type::Ended:
      if (event.end == MatchEnd::LocalLeft) leaver = match.localSide();
      if (event.end == MatchEnd::RemoteLeft) leaver = 1 - match.localSide();
      noWinner = event.winner < 0 && event.end != MatchEnd::GameOver;
      notice = endingText(event, match.started());
      break;
  }
}
