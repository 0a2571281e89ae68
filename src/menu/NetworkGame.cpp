// "2p Versus" over the network: finding the other player, the game kept in step by a
// rollback session, and every way a real link can fail shown on screen.
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "Binding.h"
#include "Display.h"
#include "EnetLink.h"
#include "GameContext.h"
#include "GameLayout.h"
#include "GameLoop.h"
#include "GameOverWait.h"
#include "InputPoller.h"
#include "LanSearch.h"
#include "NetGame.h"
#include "NetSession.h"
#include "QuitPassOn.h"
#include "Replay.h"
#include "SoundManager.h"
#include "Version.h"

namespace {
// A game that ended waits this long for the other side to have all it needs from this one.
constexpr int64_t FarewellMs = 3000;
// A connection lost after ten seconds of silence has kept the player waiting long enough:
// its notice shows this long and the menu comes back without a key.
constexpr int64_t LostNoticeMs = 1000;
constexpr uint32_t IdleFrameMs = 10;  // the waiting screens need no more
// A player's leaving that does not end the game through the link within this long ends it
// at once, the other side then learning of it by the session's own message or silence.
constexpr int64_t LeaveWaitMs = 1500;

int64_t nowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// What the player at this machine does during a network game: their own (player 1's)
// keys and first pad make commands for their side; Esc leaves; P does nothing, since the
// other player cannot be stopped.
class LocalHands : public Listener {
public:
  void handle(int id, void* data, MessageBus*) override {
    if (id == AbortGame) leave = true;
    if (id != PlayerCommand || !data) return;
    const Binding* binding = static_cast<const Binding*>(data);
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
  for (;;) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
      if (event.type == SDL_QUIT) {
        passOnQuit();
        return false;
      }
      if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) return false;
    }
    link.service(nowMs());
    if (beacon) beacon->service();
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
}  // namespace

bool GameContext::runNetworkGame() {
  EnetLink link(PIGMORA_VERSION);
  std::unique_ptr<LanBeacon> beacon;
  std::string address = network.address;
  if (network.role == Network::Join && address.empty()) {
    display->showNotice("Looking for a game on this network...");
    LanSearch search(versionStamp(PIGMORA_VERSION), nowMs());
    while (!search.service(nowMs())) SDL_Delay(IdleFrameMs);
    if (search.found().empty()) {
      tellWhy(*display, "No game was found on this network");
      return false;
    }
    address = search.found();
  }
  bool hosting = network.role == Network::Host;
  std::string waiting;
  if (hosting) {
    if (!link.host(network.port)) {
      tellWhy(*display, "Cannot wait for a player: " + link.problem());
      return false;
    }
    beacon = std::make_unique<LanBeacon>(versionStamp(PIGMORA_VERSION), network.port);
    std::string here = localAddresses();
    waiting = "Waiting for another player\non port " + std::to_string(network.port) +
              (here.empty() ? "" : "\nat " + here) + "\n\nEsc cancels";
  } else {
    link.join(address, nowMs());
    waiting =
        "Connecting to " + (link.target().empty() ? address : link.target()) + "...\n\nEsc cancels";
  }
  if (!waitForConnection(*display, link, beacon.get(), waiting)) {
    if (link.state() == EnetLink::State::Refused)
      tellWhy(*display, link.problem());
    else if (link.state() == EnetLink::State::Failed)
      tellWhy(*display, "No game: " + link.problem());
    link.close();
    return false;
  }
  beacon.reset();

  // The host chooses where the rows and the banks' choices start; the guest plays what it
  // is sent.
  GameSetup setup(GameMode::Versus);
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  setup.startFrom(SDL_GetTicks(), static_cast<uint32_t>(std::rand()));
  NetGame netGame;
  SessionConfig config;
  config.host = hosting;
  if (hosting) config.setup = NetGame::setupBytes(setup);
  config.commandLimit = NetGame::CommandLimit;
  NetSession session(netGame, link, config, nowMs());

  GameLayout layout(GameMode::Versus);
  layout.leftPlayer = hosting ? 0 : 1;
  GameLoop view(setup);
  view.clock = [] { return static_cast<uint32_t>(SDL_GetTicks()); };
  view.layout = &layout;
  FramePacer pacer(displayRefreshHz);
  showAndSound(view, pacer);
  InputPoller poller;
  LocalHands hands;
  MessageBus keys;
  keys.subscribe(PollInput, &poller);
  for (int id : {PlayerCommand, AbortGame}) keys.subscribe(id, &hands);

  Replay replay;
  replay.program = PIGMORA_VERSION;
  netGame.onConfirmed = [&replay](uint32_t tick, const TickInputs& inputs) {
    replay.addPass(tickLength(tick), NetGame::passOf(inputs));
  };

  bool started = false;
  int64_t leftAt = -1;
  int64_t endedAt = -1;
  uint32_t endTick = UINT32_MAX;
  bool farewell = true;  // whether the other side may still want to hear from this one
  bool lost = false;
  std::string ending;
  view.notice = "Starting...";
  auto showingEnd = [&] {
    if (lost) return nowMs() - endedAt < LostNoticeMs;
    return farewell && !session.done() && nowMs() - endedAt < FarewellMs;
  };
  while (endedAt < 0 || showingEnd()) {
    keys.post(PollInput, nullptr);
    int64_t now = nowMs();
    // Leaving travels as an input, so that both sides end the game at the same tick and
    // keep the same replay; a link that carries nothing any more is left at once.
    if (hands.leave && leftAt < 0 && session.phase() == NetSession::Phase::Running) {
      hands.pressed = TickInput();
      hands.pressed.add(Command::AbortGame);
      leftAt = now;
    }
    if (hands.leave && session.phase() != NetSession::Phase::Ended &&
        (session.phase() != NetSession::Phase::Running || now - leftAt > LeaveWaitMs))
      session.abandon();
    link.service(now);
    session.poll(now);
    while (session.ready()) {
      session.advance(hands.pressed);
      hands.pressed = TickInput();
    }
    if (endedAt < 0 && netGame.game.state == Over && leftAt < 0 && ending.empty() &&
        netGame.game.players[0].alive && netGame.game.players[1].alive)
      ending = "The other player left: you win";  // their AbortGame reached this side
    if (leftAt >= 0 && ending.empty()) ending = "You left the game";
    for (const HeardSound& heard : netGame.sounds) {
      std::string name = soundName(heard.sound.sound, heard.sound.chainLink);
      view.bus.post(PlaySound, &name);
    }
    netGame.sounds.clear();
    SessionEvent event;
    while (session.nextEvent(event)) {
      switch (event.type) {
        case SessionEventType::Started: {
          started = true;
          view.notice.clear();
          replay.setup = netGame.game.setup;
          std::string music = replay.setup.musicName();
          view.bus.post(PlayMusic, &music);
          break;
        }
        case SessionEventType::Interrupted:
          view.notice = "The connection is interrupted...\nEsc leaves the game";
          break;
        case SessionEventType::Resumed:
          view.notice.clear();
          break;
        case SessionEventType::Desync:
          ending = "The two games parted at tick " + std::to_string(event.tick) +
                   ":\nthe game is stopped";
          replay.note = "the two sides' games parted at tick " + std::to_string(event.tick);
          std::fprintf(stderr, "Pigmora: the two games parted at tick %u\n", event.tick);
          session.abandon();
          break;
        case SessionEventType::Ended:
          if (endedAt < 0) endedAt = nowMs();
          endTick = std::min(endTick, event.tick);
          if (event.reason == EndReason::Lost) farewell = false, lost = true;
          if (!ending.empty()) break;
          if (event.reason == EndReason::Abandoned)
            ending = event.byRemote ? "The other player left: you win" : "You left the game";
          else if (event.reason == EndReason::Lost) {
            ending = "Connection lost: no winner";
            std::fprintf(stderr, "Pigmora: connection lost: no winner\n");
          } else if (event.reason == EndReason::BadSetup)
            ending = "The other player's game could not be started";
          break;
      }
    }
    // The other side closed the connection without a word (or never started): nobody is
    // left to play with, and nobody to wait for.
    if (endedAt < 0 && link.state() == EnetLink::State::Failed) {
      endedAt = nowMs();
      endTick = session.confirmedTicks();
      farewell = false;
      ending = "The other player has gone";
    }
    if (!ending.empty()) view.notice = ending;
    view.game = netGame.game;
    view.bus.post(RenderFrame, &view);
  }
  link.close();
  if (started) {
    // The replay holds the ticks both sides agreed on, up to the tick where the game ended
    // for both; a game that the rules did not end by then ends there, as an abandoned one.
    replay.cutAt(endTick);
    if (playReplay(replay).rfind("the game did not end", 0) == 0) {
      PassInput stop;
      stop.add(0, Command::AbortGame);
      replay.addPass(0, stop);
    }
    replay.sealEnd();
    shelve(replay, replayFolder);
  }
  return !lost;
}
