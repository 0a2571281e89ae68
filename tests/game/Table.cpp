#include "Table.h"

#include <algorithm>

namespace {
const std::string letters = "WRYOBPGKD*";
}

int SoundLog::count(const std::string& name) const {
  return static_cast<int>(std::count(names.begin(), names.end(), name));
}

Table::Table(int mode) : loop(GameSetup(mode)) {
  loop.clock = [this] { return now; };
  loop.bus.subscribe(PlaySound, &sounds);
  for (int i = 0; i < game.playerCount(); ++i) {
    controllers[i].attach(&loop, i);
    player(i).pendingRows = 0;
  }
}

void Table::frames(int count, int dt, int index) {
  for (int i = 0; i < count; ++i) {
    events.clear();
    game.updatePlayer(index, dt, events);
    for (const std::string& name : heard(events)) sounds.names.push_back(name);
  }
}

void Table::gameFrames(int count, int dt) {
  for (int i = 0; i < count; ++i) {
    now += dt;
    loop.bus.post<UpdateGame>();
  }
}

void Table::takePending() {
  game.takeInputs(loop.pending);
  loop.pending = PassInput();
}

void Table::press(std::initializer_list<int> commands, int index) {
  for (int command : commands) {
    Binding binding{command, index};
    loop.bus.post<PlayerCommand>(&binding);
  }
  takePending();
}

void Table::post(int id, int player) {
  if (id == TogglePause) loop.bus.post<TogglePause>(&player);
  if (id == AbortGame) loop.bus.post<AbortGame>(&player);
  takePending();
}

std::vector<int> queued(const Player& player) {
  return std::vector<int>(player.commands.begin(), player.commands.end());
}

void draw(Player& player, const Lines& picture) {
  Board& board = player.board;
  board.clear();
  int rows = static_cast<int>(picture.size());
  for (int line = 0; line < rows; ++line)
    for (int column = 0; column < board.width && column < (int)picture[line].size(); ++column) {
      size_t colour = letters.find(picture[line][column]);
      if (colour != std::string::npos) board.setCell(column, rows - 1 - line, (int)colour);
    }
}

Lines picture(const Player& player, int rows) {
  const Board& board = player.board;
  Lines lines;
  int top = rows > 0 ? rows - 1 : board.height - 1;
  for (int row = top; row >= 0; --row) {
    std::string line;
    for (int column = 0; column < board.width; ++column) {
      const Cell& cell = board.at(column, row);
      line += cell.hasColour() ? letters[cell.colour] : cell.is(Cell::Exploding) ? 'x' : '.';
    }
    lines.push_back(line);
  }
  return lines;
}

int pieceCount(const Player& player, int colour) {
  int count = 0;
  for (int row = 0; row < player.board.height; ++row)
    for (int column = 0; column < player.board.width; ++column) {
      const Cell& cell = player.board.at(column, row);
      count += cell.hasColour() && (colour == -2 || cell.colour == colour) ? 1 : 0;
    }
  return count;
}

void check(Player& player, int column, int row) {
  player.board.at(column, row).flags |= Cell::Check;
}

Cell& explode(Player& player, int column, int row, int oldColour, fixed_t timer) {
  Cell& cell = player.board.at(column, row);
  cell.makeEmpty();
  cell.flags = Cell::Exploding;
  cell.oldColour = oldColour;
  cell.timer = timer;
  return cell;
}

void hold(Player& player, int colour, int count) {
  player.actionState = Holding;
  player.heldColour = colour;
  player.heldCount = count;
}

Lines heard(const StepEvents& events) {
  Lines names;
  for (const SoundEvent& sound : events.sounds)
    names.push_back(soundName(sound.sound, sound.chainLink));
  return names;
}
