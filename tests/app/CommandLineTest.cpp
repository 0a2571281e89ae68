#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "GameContext.h"
#include "GameOptions.h"
#include "GameSetup.h"
#include "NetAddress.h"
#include "Replay.h"
#include "ReplayCheck.h"
#include "TempDir.h"

namespace {

constexpr int Refused = 2;  // the status of a command line the program cannot read

// What the game was told to do, in words: "level 3 host 24642 join=h replay=f check=f".
std::string understood(const CommandLine& line) {
  std::string told;
  if (line.versusComputerLevel) told += "level " + std::to_string(line.versusComputerLevel) + " ";
  if (line.has("--host")) told += "host " + std::to_string(line.hostPort) + " ";
  if (line.has("--watch-delay")) told += "delay " + std::to_string(line.watchDelay) + " ";
  for (const char* name : {"--join", "--watch", "--replay", "--check-replay"})
    if (line.has(name)) told += std::string(name + 2) + "=" + line.given.at(name) + " ";
  return told;
}

struct Answer {
  int status;
  std::string told, out, err;
};

// Reads the line as the program does; its status, and the line as read.
int readLine(std::vector<std::string> arguments, CommandLine& line, std::ostream& out,
             std::ostream& err) {
  arguments.insert(arguments.begin(), "pigmora");
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  return readCommandLine(int(argv.size()), argv.data(), line, out, err);
}

Answer run(const std::vector<std::string>& arguments) {
  CommandLine line;
  std::ostringstream out, err;
  int status = readLine(arguments, line, out, err);
  return {status, understood(line), out.str(), err.str()};
}

// What the games are told by a line the program takes.
std::unique_ptr<GameContext> applied(const std::vector<std::string>& arguments) {
  CommandLine line;
  std::ostringstream out, err;
  EXPECT_EQ(readLine(arguments, line, out, err), GoOnAndPlay) << err.str();
  auto context = std::make_unique<GameContext>(nullptr, nullptr);
  applyGameOptions(line, *context);
  return context;
}

}  // namespace

TEST(CommandLine, EveryValueTheHelpPromisesIsTakenAndEveryOtherRefused) {
  Answer help = run({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* promise :
       {"LEVEL 1 (gentle) to 5 (hard), 3 if not given", "PORT (24642 if not given",
        "with no HOST, look for one", "in replays/ if no FILE",
        "exit 0 when it ends as saved, 1 when not, 2 when unreadable"})
    EXPECT_NE(help.out.find(promise), std::string::npos) << promise;
  struct Case {
    std::vector<std::string> arguments;
    const char* told;  // what the game is told; nullptr when the line is refused
  } cases[] = {
      {{}, ""},
      {{"--versus-computer"}, "level 3 "},
      {{"--versus-computer=1"}, "level 1 "},
      {{"--versus-computer=3"}, "level 3 "},
      {{"--versus-computer=4"}, "level 4 "},
      {{"--versus-computer=5"}, "level 5 "},
      {{"--host"}, "host 24642 "},
      {{"--host=1"}, "host 1 "},
      {{"--host=65535", "--versus-computer=2"}, "level 2 host 65535 "},
      {{"--join"}, "join= "},
      {{"--watch"}, "watch= "},
      {{"--watch", "example.org"}, "watch=example.org "},
      {{"--host", "--watch-delay=120"}, "host 24642 delay 120 "},
      {{"--host=9", "--watch-delay=0"}, "host 9 delay 0 "},
      {{"--join=127.0.0.1:1"}, "join=127.0.0.1:1 "},
      {{"--join=game-host.example.org:65535"}, "join=game-host.example.org:65535 "},
      {{"--join", "example.org"}, "join=example.org "},
      {{"--replay"}, "replay= "},
      {{"--replay", "old.txt"}, "replay=old.txt "},
      {{"--replay=old.txt"}, "replay=old.txt "},
      {{"--replay", "--versus-computer"}, "level 3 replay= "},  // an option is not a FILE
      {{"--check-replay", "old.txt"}, "check-replay=old.txt "},
      {{"--check-replay=old.txt"}, "check-replay=old.txt "},
      // Refused: levels, ports and forms the help does not offer, and unknown words.
      {{"--versus-computer=0"}, nullptr},
      {{"--versus-computer=6"}, nullptr},
      {{"--versus-computer=35"}, nullptr},
      {{"--versus-computer=hard"}, nullptr},
      {{"--host=0"}, nullptr},
      {{"--host=65536"}, nullptr},
      {{"--host=80x"}, nullptr},
      {{"--host=-1"}, nullptr},
      {{"--host", "--join"}, nullptr},
      {{"--watch", "--join"}, nullptr},
      {{"--watch", "--quick"}, nullptr},
      {{"--watch=host:0"}, nullptr},
      {{"--watch-delay=5"}, nullptr},  // only a host holds its watchers back
      {{"--host", "--watch-delay=121"}, nullptr},
      {{"--host", "--watch-delay=-1"}, nullptr},
      {{"--host", "--watch-delay=1e2"}, nullptr},
      {{"--host", "--watch-delay"}, nullptr},
      {{"--join=localhost:0"}, nullptr},
      {{"--join=:24642"}, nullptr},
      {{"--join=host:"}, nullptr},
      {{"--join=host:65536"}, nullptr},
      {{"--join=[::1]:7000"}, nullptr},  // ENet speaks IPv4
      {{"--join=" + std::string(300, 'h')}, nullptr},
      {{"--join=host\x1b[2J"}, nullptr},
      {{"--check-replay"}, nullptr},
      {{"--help=me"}, nullptr},
      {{"--version=1"}, nullptr},
      {{"--hel"}, nullptr},
      {{"-h"}, nullptr},
      {{"--HELP"}, nullptr},
      {{"old.txt"}, nullptr},
  };
  for (const Case& c : cases) {
    std::string line;
    for (const std::string& argument : c.arguments) line += argument + " ";
    SCOPED_TRACE(line);
    Answer answer = run(c.arguments);
    if (!c.told) {
      EXPECT_EQ(answer.status, Refused);
      EXPECT_EQ(answer.err.rfind("pigmora: ", 0), 0u) << answer.err;
      EXPECT_EQ(answer.out, "");
    } else {
      EXPECT_EQ(answer.status, GoOnAndPlay) << answer.err;
      EXPECT_EQ(answer.told, c.told);
    }
  }
}

TEST(CommandLine, CheckReplayEndsWithTheStatusTheHelpNames) {
  TempDir folder(true);
  Replay replay;
  replay.setup = GameSetup(GameMode::Practice);
  replay.setup.startFrom(4242, 131502);
  replay.frames.assign(60, 17);
  replay.sealEnd();
  folder.write("kept.txt", replay.text());
  replay.endLines[0] = "player 0: 99999\n";
  folder.write("otherwise.txt", replay.text());
  folder.write("garbage.txt", "Pigmora replay 1\nmode eleven\n");
  const struct {
    const char* file;
    int status;
  } cases[] = {{"kept.txt", 0}, {"otherwise.txt", 1}, {"garbage.txt", 2}, {"missing.txt", 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    std::ostringstream out, err;
    EXPECT_EQ(checkReplay(c.file, out, err), c.status) << err.str();
  }
}

TEST(CommandLine, TheGamesGetWhatTheLineAsked) {
  using Role = GameContext::Network::Role;
  const struct {
    std::vector<std::string> arguments;
    int level;
    Role role;
    uint16_t port;
    const char* address;
  } cases[] = {
      {{}, 0, Role::Local, DefaultGamePort, ""},
      {{"--versus-computer"}, 3, Role::Local, DefaultGamePort, ""},
      {{"--versus-computer=1"}, 1, Role::Local, DefaultGamePort, ""},
      {{"--versus-computer=5"}, 5, Role::Local, DefaultGamePort, ""},
      {{"--host"}, 0, Role::Host, DefaultGamePort, ""},
      {{"--host=3000"}, 0, Role::Host, 3000, ""},
      {{"--join"}, 0, Role::Join, DefaultGamePort, ""},
      {{"--quick"}, 0, Role::Quick, DefaultGamePort, ""},
      {{"--watch"}, 0, Role::Watch, DefaultGamePort, ""},
      {{"--watch=watch.example.org:9"}, 0, Role::Watch, DefaultGamePort, "watch.example.org:9"},
      {{"--join=game.example.org:7"}, 0, Role::Join, DefaultGamePort, "game.example.org:7"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.empty() ? "" : c.arguments.back());
    auto context = applied(c.arguments);
    EXPECT_EQ(context->versusComputerLevel, c.level);
    EXPECT_EQ(context->network.role, c.role);
    EXPECT_EQ(context->network.port, c.port);
    EXPECT_EQ(context->network.address, c.address);
  }
}

TEST(CommandLine, AServerNamedOnceIsRememberedBesideTheSettingsWhichStayAsTheyWere) {
  TempDir folder(true);
  EXPECT_EQ(applied({"--join=k7m-x2q"})->network.server, "") << "no server until one is named";
  EXPECT_EQ(applied({"--server=lobby.example.org:9000", "--host"})->network.server,
            "lobby.example.org:9000");
  auto quick = applied({"--quick"});
  EXPECT_EQ(quick->network.role, GameContext::Network::Quick);
  EXPECT_EQ(quick->network.server, "lobby.example.org:9000");
  EXPECT_FALSE(std::ifstream(folder.file("Pigmora.ini")).good()) << "the settings are not touched";
  folder.write("PigmoraServer.txt", "not a server!\n");
  EXPECT_EQ(applied({"--host"})->network.server, "") << "a spoiled file names none";
  // Neither a FIFO in its place nor a huge file may hold up the start (the alarm ends a
  // start that blocks) or fill the memory; a server named then cannot be written there.
  alarm(10);
  std::filesystem::remove("PigmoraServer.txt");
  mkfifo("PigmoraServer.txt", 0600);
  EXPECT_EQ(applied({"--host"})->network.server, "");
  EXPECT_EQ(applied({"--server=lobby.example.org", "--host"})->network.server, "lobby.example.org");
  EXPECT_TRUE(std::filesystem::is_fifo("PigmoraServer.txt")) << "a FIFO was written over";
  std::filesystem::remove("PigmoraServer.txt");
  std::ofstream("PigmoraServer.txt");
  std::filesystem::resize_file("PigmoraServer.txt", 64ull << 30);
  EXPECT_EQ(applied({"--host"})->network.server, "");
  alarm(0);
  for (std::vector<std::string> wrong : {std::vector<std::string>{"--server=lobby:0"},
                                         {"--server"},
                                         {"--quick", "--join=K7M-X2Q"},
                                         {"--quick", "--host"}})
    EXPECT_EQ(run(wrong).status, Refused) << wrong[0];
}

// What the desktop offers (the entry and each of its actions) starts the program with a line
// it takes.
TEST(CommandLine, EveryDesktopActionIsALineTheProgramTakes) {
  std::ifstream desktop(PIGMORA_DESKTOP_FILE);
  int offered = 0;
  for (std::string line; std::getline(desktop, line);) {
    if (line.rfind("Exec=", 0) != 0) continue;
    SCOPED_TRACE(line);
    std::istringstream words(line.substr(5));
    std::vector<std::string> arguments;
    for (std::string word; words >> word;) arguments.push_back(word);
    ASSERT_EQ(arguments.at(0), "pigmora");
    arguments.erase(arguments.begin());
    Answer answer = run(arguments);
    EXPECT_EQ(answer.status, GoOnAndPlay) << answer.err;
    ++offered;
  }
  EXPECT_GE(offered, 5) << "the entry and its actions";
}
