#include "CommandLine.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ostream>

#include "ComputerLevel.h"
#include "InviteCode.h"
#include "LobbyWire.h"
#include "NetAddress.h"
#include "SystemSetup.h"
#include "Watching.h"

const std::vector<CommandLineOption> CommandLineOptions = {
    {"--help", CommandLineOption::NoValue, nullptr, "show this help and exit"},
    {"--version", CommandLineOption::NoValue, nullptr, "show the version and exit"},
    {"--versus-computer", CommandLineOption::OptionalValue, "LEVEL",
     "in 2p Versus the computer plays the right-hand board;\n"
     "                             LEVEL 1 (gentle) to 5 (hard), 3 if not given"},
    {"--host", CommandLineOption::OptionalValue, "PORT",
     "2p Versus is a network game: wait for a player to join\n"
     "                             on PORT (" +
         std::to_string(DefaultGamePort) + " if not given; forward it for the internet)"},
    {"--join", CommandLineOption::OptionalValue, "HOST[:PORT]",
     "2p Versus is a network game: join the game at HOST;\n"
     "                             with no HOST, look for one on this network",
     true},
    {"--watch", CommandLineOption::OptionalValue, "HOST[:PORT]",
     "watch the network game at HOST as it is played; with no\n"
     "                             HOST, the first one on this network; with a CODE and a\n"
     "                             server, the game it started there (P pause, Esc leave)",
     true},
    {"--watch-delay", CommandLineOption::RequiredValue, "SECONDS",
     "with --host: show watchers the game this much later\n"
     "                             (0 to " +
         std::to_string(WatchFeed::MostDelaySeconds) + ", 0 if not given)"},
    {"--server", CommandLineOption::RequiredValue, "HOST[:PORT]",
     "the Pigmora server that introduces players, remembered\n"
     "                             from then on (port " +
         std::to_string(DefaultServerPort) +
         " if not given): --host also gets\n"
         "                             an invite code, and --join=CODE joins by one (six\n"
         "                             letters and digits, like K7M-X2Q; a host named like a\n"
         "                             code is joined as HOST:PORT or HOST.)"},
    {"--quick", CommandLineOption::NoValue, nullptr,
     "2p Versus against whoever has waited longest on the\n"
     "                             Pigmora server (Esc leaves the queue)"},
    {"--replay", CommandLineOption::OptionalValue, "FILE",
     "show a saved game in the window as it went, the newest\n"
     "                             in replays/ if no FILE (P pause, hold F fast, Esc leave)",
     true},
    {"--check-replay", CommandLineOption::RequiredValue, "FILE",
     "replay a saved game without a window and print its end;\n"
     "                             exit 0 when it ends as saved, 1 when not, 2 when unreadable",
     true},
};

namespace {

// The exit status of a command line the program cannot read, as the shells' own tools use.
constexpr int UsageError = 2;

std::string shownName(const CommandLineOption& option) {
  std::string shown = option.name;
  if (option.value == CommandLineOption::OptionalValue)
    shown += std::string("[=") + option.valueName + "]";
  if (option.value == CommandLineOption::RequiredValue)
    shown += std::string("=") + option.valueName;
  return shown;
}

void showHelp(std::ostream& out) {
  out << "Usage: pigmora [OPTION]...\n"
      << "Pigmora, a colour-mixing action puzzle game for one or two players.\n"
      << "With no options the game starts at its main menu.\n\nOptions:\n";
  std::size_t column = 0;
  for (const CommandLineOption& option : CommandLineOptions)
    column = std::max(column, shownName(option).size());
  for (const CommandLineOption& option : CommandLineOptions) {
    std::string shown = shownName(option);
    out << "  " << shown << std::string(column - shown.size() + 2, ' ') << option.help << "\n";
  }
  out << "\nThe manual page, pigmora(6), describes the keys, pads and files.\n";
}

// As GNU programs do: an answer that cannot be written is a failure, and is said so.
int answered(std::ostream& out, std::ostream& err) {
  if (out.flush()) return 0;
  err << "pigmora: write error: " << std::strerror(errno) << "\n";
  return 1;
}

int mistake(std::ostream& err, const std::string& what) {
  err << "pigmora: " << what << "\nTry 'pigmora --help' for more information.\n";
  return UsageError;
}

// "" gives the default level; anything but a whole number from 1 to the top level gives 0.
int computerLevelFrom(const std::string& value) {
  if (value.empty()) return DefaultComputerLevel;
  if (value.size() != 1 || value[0] < '1' || value[0] > '0' + ComputerLevelCount) return 0;
  return value[0] - '0';
}

}  // namespace

int readCommandLine(int argc, char** argv, CommandLine& commandLine, std::ostream& out,
                    std::ostream& err) {
  for (int i = 1; i < argc; ++i) {
    std::string argument = argv[i];
    std::string name = argument.substr(0, argument.find('='));
    bool hasValue = name.size() < argument.size();
    auto option = std::find_if(CommandLineOptions.begin(), CommandLineOptions.end(),
                               [&](const CommandLineOption& known) { return name == known.name; });
    if (option == CommandLineOptions.end())
      return mistake(err,
                     (argument.rfind("-", 0) == 0 ? "unknown option '" : "unexpected argument '") +
                         argument + "'");
    if (hasValue && option->value == CommandLineOption::NoValue)
      return mistake(err, "option '" + name + "' takes no value");
    std::string value = hasValue ? argument.substr(name.size() + 1) : std::string();
    if (!hasValue && option->separateValue && i + 1 < argc && argv[i + 1][0] != '-')
      value = argv[++i];
    if (value.empty() && option->value == CommandLineOption::RequiredValue)
      return mistake(err, "option '" + name + "' needs a " + option->valueName);
    commandLine.given[name] = value;
  }
  if (commandLine.has("--versus-computer")) {
    commandLine.versusComputerLevel = computerLevelFrom(commandLine.given["--versus-computer"]);
    if (commandLine.versusComputerLevel == 0)
      return mistake(err, "option '--versus-computer' takes a level from 1 to " +
                              std::to_string(ComputerLevelCount));
  }
  if (commandLine.has("--host") && commandLine.has("--join"))
    return mistake(err, "options '--host' and '--join' cannot be given together");
  if (commandLine.has("--host")) {
    const std::string& port = commandLine.given["--host"];
    commandLine.hostPort = DefaultGamePort;
    if (!port.empty() && !parsePort(port, commandLine.hostPort))
      return mistake(err, "option '--host' takes a port from 1 to 65535");
  }
  if (commandLine.has("--watch") &&
      (commandLine.has("--host") || commandLine.has("--join") || commandLine.has("--quick")))
    return mistake(err, "option '--watch' cannot be given with '--host', '--join' or '--quick'");
  if (commandLine.has("--watch-delay")) {
    const std::string& delay = commandLine.given["--watch-delay"];
    bool number = !delay.empty() && delay.size() <= 3 &&
                  delay.find_first_not_of("0123456789") == std::string::npos;
    commandLine.watchDelay = number ? std::stoi(delay) : -1;
    if (commandLine.watchDelay < 0 || commandLine.watchDelay > WatchFeed::MostDelaySeconds)
      return mistake(err, "option '--watch-delay' takes a number of seconds from 0 to " +
                              std::to_string(WatchFeed::MostDelaySeconds));
    if (!commandLine.has("--host"))
      return mistake(err, "option '--watch-delay' is for a host ('--host')");
  }
  const std::string& watch = commandLine.has("--watch") ? commandLine.given["--watch"] : "";
  NetAddress watched;
  std::string wrong;
  std::string watchedCode;
  if (!watch.empty() && !readCode(watch, watchedCode) && !parseAddress(watch, watched, wrong))
    return mistake(err, "option '--watch' takes HOST or HOST:PORT: " + wrong);
  // A joiner's address is read here, so a mistake in it is told before any window opens.
  const std::string& join = commandLine.has("--join") ? commandLine.given["--join"] : "";
  NetAddress address;
  std::string why;
  std::string code;
  if (commandLine.has("--server") && !parseAddress(commandLine.given["--server"], address, why))
    return mistake(err, "option '--server' takes HOST or HOST:PORT: " + why);
  if (commandLine.has("--quick") && (commandLine.has("--host") || commandLine.has("--join")))
    return mistake(err, "option '--quick' cannot be given with '--host' or '--join'");
  if (!join.empty() && !readCode(join, code) && !parseAddress(join, address, why))
    return mistake(err, "option '--join' takes HOST or HOST:PORT: " + why);
  if (commandLine.has("--help")) {
    showHelp(out);
    return answered(out, err);
  }
  if (commandLine.has("--version")) {
    out << "Pigmora " << PigmoraVersion << "\n";
    return answered(out, err);
  }
  return GoOnAndPlay;
}
