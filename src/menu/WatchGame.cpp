// Watching a network game, as the watcher sees it: the players' screen as the host sees it,
// its sounds, "Watching" under the boards, and no keys but Esc (leave) and P (hold the view;
// letting go catches up with the game). Every game of a rematch is watched and kept as a
// replay, until the players' connection ends.
#include <SDL.h>

#include <cstdio>
#include <memory>

#include "Display.h"
#include "EnetLink.h"
#include "GameContext.h"
#include "GameLayout.h"
#include "GameLoop.h"
#include "GameOverWait.h"
#include "InviteCode.h"
#include "LanSearch.h"
#include "QuitPassOn.h"
#include "ServerStream.h"
#include "SteadyClock.h"
#include "Version.h"
#include "Watching.h"

namespace {
constexpr uint32_t IdleFrameMs = 10;

void tellWhy(Display& display, const std::string& why) {
  std::fprintf(stderr, "Pigmora: %s\n", why.c_str());
  display.showNotice(why + "\n\nPress a key");
  gameOverWait({});
}

// Where the watchers of the game the options name are served: "host:port", or "" once the
// watcher was told why there is none.
std::string watchAddress(Display& display, const std::string& given) {
  if (!given.empty()) {
    NetAddress address;
    std::string why;
    parseAddress(given, address, why);
    return address.host + ":" + std::to_string(address.port + WatchPortOffset);
  }
  display.showNotice("Looking for a game to watch on this network...");
  LanSearch search(versionStamp(PIGMORA_VERSION), steadyNowMs(), LanSearchPort + WatchPortOffset);
  while (!search.service(steadyNowMs())) SDL_Delay(IdleFrameMs);
  if (search.found().empty()) tellWhy(display, "No game is being played on this network");
  return search.found();
}

// The words for the end of a watched game; "" where the results say it.
std::string endingText(const WatchedEnd& end) {
  switch (end.end) {
    case MatchEnd::GameOver:
      return "";
    case MatchEnd::LocalLeft:
    case MatchEnd::RemoteLeft:
      return "Player " + std::to_string(end.leaver + 1) + " left the game";
    case MatchEnd::Lost:
      return "The players' connection was lost. No winner";
    case MatchEnd::Gone:
      return "The players' connection ended";
    case MatchEnd::Parted:
      return "The players' games parted: the game is stopped";
    case MatchEnd::BadSetup:
      return "The game could not be started";
  }
  return "";
}

// The feed of a game shown on the Pigmora server with the code the options name, or null
// once the watcher was told why there is none.
// A game not shown yet (its players not both in) is asked for again until it is.
std::unique_ptr<Link> watchThroughServer(Display& display, const GameContext::Network& network) {
  auto stream = std::make_unique<ServerStream>(PIGMORA_VERSION);
  stream->watch(network.server, network.address, steadyNowMs());
  display.showNotice("Asking " + stream->server() + " for the game " + network.address +
                     "...\n\nEsc cancels");
  int64_t askAgainAt = -1;
  while (stream->state() != ServerStream::State::Open) {
    if (pollQuitOrEscape() != Interruption::None) return nullptr;
    if (askAgainAt >= 0 && steadyNowMs() >= askAgainAt) {
      stream = std::make_unique<ServerStream>(PIGMORA_VERSION);
      stream->watch(network.server, network.address, steadyNowMs());
      askAgainAt = -1;
    }
    stream->service(steadyNowMs());
    if (askAgainAt < 0 && stream->notShownYet()) {
      display.showNotice("Waiting for the game " + network.address + " to begin on " +
                         stream->server() + "...\n\nEsc cancels");
      askAgainAt = steadyNowMs() + ServerStream::AskShowAgainMs;
    } else if (askAgainAt < 0 && stream->state() == ServerStream::State::Failed) {
      tellWhy(display, stream->problem());
      return nullptr;
    }
    SDL_Delay(IdleFrameMs);
  }
  return stream;
}

// The feed of the game the host at the options' address (or found on this network) serves
// its watchers, or null once the watcher was told why there is none.
std::unique_ptr<Link> watchAtHost(Display& display, const GameContext::Network& network) {
  std::string address = watchAddress(display, network.address);
  if (address.empty()) return nullptr;
  auto knocker = std::make_unique<EnetLink>(PIGMORA_VERSION);
  knocker->join(address, steadyNowMs());
  display.showNotice("Connecting to " + address + " to watch...\n\nEsc cancels");
  while (knocker->state() != EnetLink::State::Connected) {
    if (pollQuitOrEscape() != Interruption::None) return nullptr;
    knocker->service(steadyNowMs());
    if (knocker->state() == EnetLink::State::Refused) {
      tellWhy(display, knocker->problem());
      return nullptr;
    }
    if (knocker->state() == EnetLink::State::Failed) {
      // A host whose game has not begun serves no watchers yet: knock again until it does.
      if (knocker->problem().rfind("no game is waiting", 0) != 0) {
        tellWhy(display, "No game to watch: " + knocker->problem());
        return nullptr;
      }
      display.showNotice("Waiting for the game at " + address + " to begin...\n\nEsc cancels");
      knocker = std::make_unique<EnetLink>(PIGMORA_VERSION);
      knocker->join(address, steadyNowMs());
    }
    SDL_Delay(IdleFrameMs);
  }
  return knocker;
}
}  // namespace

bool GameContext::runWatch() {
  std::string code;
  bool served = !network.server.empty() && readCode(network.address, code);
  std::unique_ptr<Link> feed =
      served ? watchThroughServer(*display, network) : watchAtHost(*display, network);
  if (!feed) return false;
  Link& link = *feed;

  Watcher watcher(link, PIGMORA_VERSION);
  GameLayout layout(GameMode::Versus);
  layout.watching = "Watching";
  GameLoop view(GameSetup(GameMode::Versus));
  view.clock = [] { return static_cast<uint32_t>(SDL_GetTicks()); };
  view.layout = &layout;
  view.notice = "Waiting for the game...";
  FramePacer pacer(displayRefreshHz);
  showAndSound(view, pacer);
  bool watched = false;
  bool over = false;
  while (!over) {
    auto keys = [&](const SDL_Event& event) {
      if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_p) view.held = !view.held;
    };
    if (pollQuitOrEscape(keys) != Interruption::None) break;
    link.service(steadyNowMs());
    watcher.poll(steadyNowMs(), !view.held);
    for (const HeardSound& heard : watcher.takeSounds()) {
      std::string name = soundName(heard.sound.sound, heard.sound.chainLink);
      view.bus.post<PlaySound>(&name);
    }
    WatchEvent event;
    while (watcher.nextEvent(event)) {
      switch (event.type) {
        case WatchEvent::Type::Started: {
          layout.leaver = -1;
          layout.noWinner = false;
          layout.watching =
              watcher.delaySeconds() == 0
                  ? "Watching"
                  : "Watching, " + std::to_string(watcher.delaySeconds()) + " s behind the players";
          view.notice = "Catching up...";
          std::string music = watcher.game().setup.musicName();
          view.bus.post<PlayMusic>(&music);
          break;
        }
        case WatchEvent::Type::Live:
          view.notice.clear();
          break;
        case WatchEvent::Type::Ended:
          watched = true;
          layout.leaver = event.end.leaver;
          layout.noWinner = event.end.winner < 0 && event.end.end != MatchEnd::GameOver;
          view.notice = endingText(event.end);
          if (!watcher.replayParting().empty())
            std::fprintf(stderr, "Pigmora: this game's replay %s\n",
                         watcher.replayParting().c_str());
          shelve(watcher.replay(), replayFolder);
          break;
        case WatchEvent::Type::TurnedAway:
          tellWhy(*display, WatchersFullText);
          return false;
        case WatchEvent::Type::Closed:
        case WatchEvent::Type::Lost:
          over = true;
          if (!watched) view.notice = "The players' connection ended";
          break;
      }
    }
    view.game = watcher.game();
    view.bus.post<RenderFrame>(&view);
  }
  link.close();
  for (int i = 0; i < 20; ++i) link.service(steadyNowMs());
  return over;
}
