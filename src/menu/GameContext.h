#pragma once

#include <string>

#include "FramePacer.h"

class Display;
class SoundManager;
struct Replay;

// How the main menu starts games: it lends the display and the sound to each game.
class GameContext {
public:
  GameContext(Display* display, SoundManager* sound) : display(display), sound(sound) {}

  // Plays one game of the mode (one of GameMode) to its end, and keeps it as a replay.
  void runGame(int mode);
  // Keeps the last frame up until a key or button after the first two seconds.
  void gameOverWait();
  // Shows a replay as it went: P pauses, F held plays four times as fast, Esc leaves.
  // False when the viewer was left before the end.
  bool watchReplay(const Replay& replay);

  Display* display;
  SoundManager* sound;
  // The computer's level (1..5) when it plays the right-hand board of "2p Versus" against
  // player 1; 0 when two people play.
  int versusComputerLevel = 0;
  // How often the display shows a frame; a game draws no more often than that.
  double displayRefreshHz = FramePacer::DefaultRefreshHz;
  // Where finished games are kept; "" keeps none.
  std::string replayFolder = "replays";
};
