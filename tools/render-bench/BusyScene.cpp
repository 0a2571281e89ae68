#include "BusyScene.h"

#include "Colour.h"
#include "Game.h"

namespace {

void fillBoard(Player& player, int salt) {
  Board& board = player.board;
  board.clear();
  // Nine rows of mixed colours with a ragged top.
  for (int column = 0; column < board.width; ++column) {
    int rows = 7 + (column * 5 + salt) % 4;
    for (int row = 0; row < rows && row < board.height; ++row) {
      board.setCell(column, row, (column * 3 + row * 5 + salt) % 9);
    }
  }
  board.setCell(2 + salt % 3, 4, Colour::Wild);
}

void animate(Player& player, int step, int salt) {
  Board& board = player.board;
  auto timer = [&](int phase) { return (step * 977 + phase * 8191) % 65536; };
  // A destroyed group under sparkles, one laser hit under its explosion.
  for (int column = 1; column <= 3; ++column) {
    Cell& cell = board.at(column, 6);
    cell.oldColour = cell.hasColour() ? cell.colour : Colour::Red;
    cell.colour = Colour::Empty;
    cell.flags = Cell::Exploding;
    cell.timer = timer(column);
  }
  Cell& hit = board.at(5, 2);
  hit.oldColour = Colour::Blue;
  hit.colour = Colour::Empty;
  hit.flags = Cell::Exploding | Cell::LaserHit;
  hit.timer = timer(4);
  // Mixes with each spreading colour's splat.
  for (int k = 0; k < 4; ++k) {
    Cell& cell = board.at((k * 2 + salt) % board.width, 3 + k);
    cell.oldColour = Colour::Red + k % 3;
    cell.mixColour = 1 + (k + salt) % 6;
    cell.colour = cell.oldColour | cell.mixColour;
    cell.flags = Cell::Exploding;
    cell.timer = timer(5 + k);
  }
  // A piece falling into the gap above the explosions.
  Cell& falling = board.at(6, 9);
  falling.colour = Colour::Green;
  falling.flags = Cell::Falling;
  falling.fall = timer(9);

  player.flightColumn = (salt + 4) % board.width;
  player.flightCount = 2;
  player.flightRow = 10;
  player.flightPos = timer(10);
  player.heldColour = salt ? Colour::Wild : Colour::Orange;
  player.heldCount = 2;
  player.cursorPos = (player.flightColumn << 16) + timer(11) / 4;
  player.lasers.clear();
  player.lasers.push_back({salt + 1, 8, timer(12)});
  board.riseOffset = salt ? -timer(13) : 0;
}

void setStatus(Player& player, int salt) {
  player.score = 12345.5 + salt * 678.25;
  player.elapsed = 83456 + salt;
  player.chainCount = 4;
  player.pendingRows = 2;
  player.bank.incoming = 9;
  player.bank.stored.clear();
  for (int k = 0; k < 6 + salt * 8; ++k) player.bank.stored.push_back({1 + (k + salt) % 7, 5});
  if (salt == 0) {
    player.shieldTimer = 4000;
    player.multiplierTimer = 7000;
    player.doublerCharges = 2;
    player.minGroup = 3;
  } else {
    player.slowTimer = 5000;
    player.dudsAddedTimer = 2000;
    player.wildsAddedTimer = 1000;
    player.messageTimer = 2000;
    player.message = "Colours swapped!";
  }
}

}  // namespace

void makeBusyScene(Game& game, int step) {
  for (int i = 0; i < 2; ++i) {
    Player& player = game.players[i];
    if (step == 0) {
      fillBoard(player, i);
      setStatus(player, i);
    }
    animate(player, step, i);
  }
}

void makeResultsScene(Game& game) {
  game.state = Over;
  for (int i = 0; i < 2; ++i) {
    Player& player = game.players[i];
    Board& board = player.board;
    board.clear();
    // Bands of white, red, orange and yellow, the pieces text is hardest to read over,
    // with every other colour between them.
    static const int bands[] = {Colour::White, Colour::Red, Colour::Orange, Colour::Yellow};
    for (int row = 0; row < board.height; ++row)
      for (int column = 0; column < board.width; ++column)
        board.setCell(column, row,
                      (row + column) % 3 ? bands[(row / 2 + i) % 4] : (row * 3 + column) % 9);
    player.lasers.clear();
    player.heldCount = player.flightCount = 0;
    player.alive = i == 1;
    player.elapsed = 154321;
    player.timeBonus = 12.5;
    player.maxChain = 5;
    player.chainBonus = 40.25;
    player.totalPieces = 208;
    for (int colour = 0; colour < Colour::Wild; ++colour)
      player.piecesByColour[colour] = 3 + colour * 4;
  }
}
