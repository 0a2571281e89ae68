// "2p Versus" over the network, as the player sees it: finding the other player, the
// waiting screens, the keys of the player at this machine, and every way a match can end
// told in words. The match itself is a NetMatch.
#include <SDL.h>

#include <cstdio>

#include "Binding.h"
#include "Display.h"
#include "EnetLink.h"
#include "GameContext.h"
#include "GameLayout.h"
#include "GameLoop.h"
#include "GameOverWait.h"
#include "InputPoller.h"
#include "InviteCode.h"
#include "LanSearch.h"
#include "MatchView.h"
#include "NetMatch.h"
#include "QuitPassOn.h"
#include "ServerMeeting.h"
#include "SteadyClock.h"
#include "Version.h"
#include "WatchHost.h"

namespace {
constexpr int64_t MsPerSecond = 1000;
constexpr uint32_t IdleFrameMs = 10;  // the waiting screens need no more

// What the player at this machine does during a network game: their own (player 1's)
// keys and first pad make commands for their side; Esc leaves; P does nothing, since the
// other player cannot be stopped.
class LocalHands : public Listener {
public:
  void handle(int id, void* data, MessageBus*) override {
    if (id == AbortGame) leave = true;
    if (id != PlayerCommand || !data) return;
    const Binding* binding = messageData<PlayerCommand>(data);
    if (binding->player == 0 && binding->command <= Command::PowerUp)
      pressed.add(static_cast<uint8_t>(binding->command));
  }
  TickInput pressed;
  bool leave = false;
};

// Runs the waiting screen until the link is connected (true), or fails, or Esc or a quit
// request calls it off (false).
bool waitForConnection(Display& display, EnetLink& link, LanBeacon* beacon,
                       const std::string& text) {
  display.showNotice(text);
  int refusals = 0;
  for (;;) {
    if (pollQuitOrEscape() != Interruption::None) return false;
    link.service(steadyNowMs());
    if (beacon) beacon->service();
    // Another version's knock is turned away and told so; the host waits on, saying whom.
    if (link.refusals() != refusals) {
      refusals = link.refusals();
      std::fprintf(stderr, "Pigmora: %s\n", link.lastRefusal().c_str());
      display.showNotice(text + "\n\n" + link.lastRefusal());
    }
    if (link.state() == EnetLink::State::Connected) return true;
    if (link.state() == EnetLink::State::Failed || link.state() == EnetLink::State::Refused)
      return false;
    SDL_Delay(IdleFrameMs);
  }
}

// Shows why a network game could not be had until the player has read it.
void tellWhy(Display& display, const std::string& why) {
  std::fprintf(stderr, "Pigmora: %s\n", why.c_str());
  display.showNotice(why + "\n\nPress a key");
  gameOverWait({});
}

// Finds the other player as the options say: a connected link, or false once the player was
// told why there is none (or called it off).
bool meet(Display& display, const GameContext::Network& network, EnetLink& link) {
  std::string address = network.address;
  if (network.role == GameContext::Network::Join && address.empty()) {
    display.showNotice("Looking for a game on this network...");
    LanSearch search(versionStamp(PIGMORA_VERSION), steadyNowMs());
    while (!search.service(steadyNowMs())) SDL_Delay(IdleFrameMs);
    if (search.found().empty()) {
      tellWhy(display, "No game was found on this network");
      return false;
    }
    address = search.found();
  }
  std::unique_ptr<LanBeacon> beacon;
  std::string waiting;
  if (network.role == GameContext::Network::Host) {
    if (!link.host(network.port)) {
      tellWhy(display, "Cannot wait for a player: " + link.problem());
      return false;
    }
    beacon = std::make_unique<LanBeacon>(versionStamp(PIGMORA_VERSION), network.port);
    std::string here = localAddresses();
    waiting = "Waiting for another player\non port " + std::to_string(network.port) +
              (here.empty() ? "" : "\nat " + here) + "\n\nEsc cancels";
  } else {
    link.join(address, steadyNowMs());
    waiting =
        "Connecting to " + (link.target().empty() ? address : link.target()) + "...\n\nEsc cancels";
  }
  if (waitForConnection(display, link, beacon.get(), waiting)) return true;
  if (link.state() == EnetLink::State::Refused)
    tellWhy(display, link.problem());
  else if (link.state() == EnetLink::State::Failed)
    tellWhy(display, "No game: " + link.problem());
  link.close();
  return false;
}
// Whether the game is met through the Pigmora server: a quick match, a host while a
// server is known, or a joiner whose address reads as an invite code.
bool throughServer(const GameContext::Network& network) {
  std::string code;
  return network.role == GameContext::Network::Quick ||
         (!network.server.empty() &&
          (network.role == GameContext::Network::Host ||
           (network.role == GameContext::Network::Join && readCode(network.address, code))));
}

// The waiting screen's words for where the meeting stands.
std::string meetingNotice(const GameContext::Network& network, const ServerMeeting& meeting) {
  const std::string& at = meeting.server();
  switch (meeting.state()) {
    case ServerMeeting::State::Resolving:
    case ServerMeeting::State::Asking:
      return "Asking the Pigmora server at " + at + "...\n\nEsc cancels";
    case ServerMeeting::State::Waiting:
      if (network.role == GameContext::Network::Quick)
        return "Waiting for a player at " + at + "\nfor " +
               std::to_string(meeting.waitedMs() / MsPerSecond) + " s\n\nEsc leaves the queue";
      return "Waiting for another player\nInvite code: " + meeting.code() + "\non port " +
             std::to_string(network.port) + "\n\nEsc cancels";
    default:
      return "Connecting to the other player...\n\nEsc cancels";
  }
}

// Meets the other player through the server: connected (with how, in `how`), or false once
// the player was told why not (or called it off).
bool meetThroughServer(Display& display, const GameContext::Network& network,
                       ServerMeeting& meeting, std::string& how) {
  if (network.server.empty()) {
    tellWhy(display, "No Pigmora server is known: name one once with --server=HOST");
    return false;
  }
  ServerMeeting::Way way = network.role == GameContext::Network::Quick  ? ServerMeeting::Way::Quick
                           : network.role == GameContext::Network::Host ? ServerMeeting::Way::Host
                                                                        : ServerMeeting::Way::Join;
  meeting.start(network.server, way, network.address, steadyNowMs(),
                way == ServerMeeting::Way::Host ? network.port : 0);
  std::string shown;
  while (meeting.state() != ServerMeeting::State::Connected) {
    if (pollQuitOrEscape() != Interruption::None) {
      meeting.close();
      return false;
    }
    meeting.service(steadyNowMs());
    if (meeting.state() == ServerMeeting::State::Failed) {
      tellWhy(display, meeting.problem());
      return false;
    }
    std::string notice = meetingNotice(network, meeting);
    if (notice != shown) {
      // Said on the terminal as well, for a player who started the game from one.
      if (meeting.state() == ServerMeeting::State::Waiting && !meeting.code().empty() &&
          shown.find(meeting.code()) == std::string::npos)
        std::fprintf(stderr, "Pigmora: invite code %s\n", meeting.code().c_str());
      display.showNotice(shown = notice);
    }
    SDL_Delay(IdleFrameMs);
  }
  how =
      std::string(meeting.path() == ServerMeeting::Path::Direct ? "Connected directly"
                                                                : "Connected through the server") +
      ", round trip " + std::to_string(meeting.roundTripMs()) + " ms";
  std::fprintf(stderr, "Pigmora: %s\n", how.c_str());
  return true;
}
}  // namespace

bool GameContext::runNetworkGame() {
  EnetLink direct(PIGMORA_VERSION);
  ServerMeeting meeting(PIGMORA_VERSION);
  std::string how;
  bool served = throughServer(network);
  if (served ? !meetThroughServer(*display, network, meeting, how)
             : !meet(*display, network, direct))
    return false;
  Link& link = served ? static_cast<Link&>(meeting) : direct;

  // The host chooses where the rows and the banks' choices start; the guest plays what it
  // is sent.
  MatchConfig config;
  config.host =
      served ? meeting.listens() || network.role == Network::Host : network.role == Network::Host;
  config.setup = newGameSetup(GameMode::Versus);
  config.program = PIGMORA_VERSION;
  NetMatch match(link, config, steadyNowMs());
  // A host serves watchers on the port after its own, and answers their look on this network.
  std::unique_ptr<LanBeacon> watchBeacon;
  if (config.host) {
    if (!audience)
      audience = std::make_shared<Audience>(PIGMORA_VERSION, network.port, network.watchDelay);
    audience->takeOver();
    // A game made by its code is shown on the server too, for watchers who have the code.
    if (served && meeting.showable())
      audience->showAt(meeting.serverHostAddress(), meeting.serverPortNumber(), meeting.token(),
                       steadyNowMs());
    if (audience->serving()) match.feed = &audience->feed;
    if (audience->listening()) {
      uint16_t watchPort = static_cast<uint16_t>(network.port + WatchPortOffset);
      watchBeacon = std::make_unique<LanBeacon>(versionStamp(PIGMORA_VERSION), watchPort,
                                                LanSearchPort + WatchPortOffset);
    }
  }

  MatchView seen(match);
  GameLayout layout(GameMode::Versus);
  layout.leftPlayer = seen.leftPlayer;
  GameLoop view(config.setup);
  view.clock = [] { return static_cast<uint32_t>(SDL_GetTicks()); };
  view.layout = &layout;
  FramePacer pacer(displayRefreshHz);
  showAndSound(view, pacer);
  InputPoller poller;
  LocalHands hands;
  MessageBus keys;
  keys.subscribe(PollInput, &poller);
  for (int id : {PlayerCommand, AbortGame}) keys.subscribe(id, &hands);

  while (!match.finished()) {
    keys.post<PollInput>();
    if (hands.leave) match.leave();
    match.poll(steadyNowMs(), hands.pressed);
    hands.pressed = TickInput();
    for (const HeardSound& heard : match.takeSounds()) {
      std::string name = soundName(heard.sound.sound, heard.sound.chainLink);
      view.bus.post<PlaySound>(&name);
    }
    MatchEvent event;
    while (match.nextEvent(event)) {
      seen.take(event);
      if (event.type == MatchEvent::Type::Started) {
        std::string music = match.game().setup.musicName();
        view.bus.post<PlayMusic>(&music);
      }
      if (event.type == MatchEvent::Type::Desync)
        std::fprintf(stderr, "Pigmora: the two games parted at tick %u\n", event.tick);
      if (event.type == MatchEvent::Type::Ended && event.end == MatchEnd::Lost)
        std::fprintf(stderr, "Pigmora: connection lost after %lld s of silence: no winner\n",
                     static_cast<long long>(event.silentMs / MsPerSecond));
    }
    // How the two met, until the game starts.
    view.notice = match.started() || how.empty() ? seen.notice : how;
    layout.leaver = seen.leaver;
    layout.noWinner = seen.noWinner;
    view.game = match.game();
    view.bus.post<RenderFrame>(&view);
    if (match.feed) {
      audience->serve(steadyNowMs());
      if (watchBeacon) watchBeacon->service();
    }
  }
  link.close();
  // The watchers see the end too, the hold-back after the players (Esc stops short); they
  // stay for a rematch.
  if (match.feed) {
    audience->tellEnd(steadyNowMs, [] { return pollQuitOrEscape() != Interruption::None; });
    audience->keepServing();
  }
  if (match.started()) {
    if (!match.replayParting().empty())
      std::fprintf(stderr, "Pigmora: this game's replay %s\n", match.replayParting().c_str());
    shelve(match.replay(), replayFolder);
  }
  // Every end, a lost connection's too, stays on screen until the player has read it.
  return true;
}
