#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "FramePacer.h"
#include "GameSetup.h"
#include "NetAddress.h"

class Audience;
class Display;
class Game;
class GameLoop;
class SoundManager;
struct Replay;

// How the main menu starts games: it lends the display and the sound to each game.
class GameContext {
public:
  GameContext(Display* display, SoundManager* sound) : display(display), sound(sound) {}

  // Plays one game of the mode (one of GameMode) to its end, and keeps it as a replay.
  // False when there are no results to wait on: no game was played after all (a network
  // game called off, or not to be had, before it began).
  bool runGame(int mode);
  // "2p Versus" over the network: connects as the options say, plays, keeps the replay.
  bool runNetworkGame();
  // Watches the network game the options name, every game of it until the players'
  // connection ends (false: nothing was watched after all).
  bool runWatch();
  // Keeps the last frame up until a key or button after the first two seconds.
  void gameOverWait();
  // Shows a replay as it went: P pauses, F held plays four times as fast, Esc leaves.
  // False when the viewer was left before the end. A replay that parts from the game it
  // was saved from stops where it does, with `partedReplay` saying so.
  bool watchReplay(const Replay& replay);
  std::string partedReplay;
  // The end lines of the last replay watched to its end, as a replay file keeps them.
  std::string watchedEnd;

  Display* display;
  SoundManager* sound;
  // The computer's level (1..5) when it plays the right-hand board of "2p Versus" against
  // player 1; 0 when two people play.
  int versusComputerLevel = 0;
  // How often the display shows a frame; a game draws no more often than that.
  double displayRefreshHz = FramePacer::DefaultRefreshHz;
  // A game's frames go to the display (at the display's pace), its sounds and music to
  // the sound object.
  void showAndSound(GameLoop& loop, FramePacer& pacer);

  // Whether "2p Versus" is played over the network, and where.
  struct Network {
    enum Role { Local, Host, Join, Quick, Watch };
    Role role = Local;
    uint16_t port = DefaultGamePort;
    std::string address;  // the joiner's HOST[:PORT]; empty: look on the local network
    int watchDelay = 0;   // seconds a host holds its watchers behind the players
    // The Pigmora server's HOST[:PORT] ("" for none): a host also gets an invite code
    // there, a joiner's address that reads as a code is one, and Quick waits there.
    std::string server;
  };
  Network network;
  // A host's watchers, kept from one game to the next so that a rematch keeps them.
  std::shared_ptr<Audience> audience;
  // Where finished games are kept; "" keeps none.
  std::string replayFolder = "replays";
};

// A new game's setup: its rows and the banks' choices start from the clocks.
GameSetup newGameSetup(int mode);
// The replay into the folder; a failure to save is one line on standard error and disturbs
// nothing.
void shelve(const Replay& replay, const std::string& folder);
