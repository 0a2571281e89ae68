#include "CommandLine.h"

#include <algorithm>
#include <ostream>

#include "SystemSetup.h"

const std::vector<CommandLineOption> CommandLineOptions = {
    {"--help", CommandLineOption::NoValue, nullptr, "show this help and exit"},
    {"--version", CommandLineOption::NoValue, nullptr, "show the version and exit"},
};

namespace {

// The exit status of a command line the program cannot read, as the shells' own tools use.
constexpr int UsageError = 2;

std::string shownName(const CommandLineOption& option) {
  std::string shown = option.name;
  if (option.valueName) shown += std::string("[=") + option.valueName + "]";
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

int mistake(std::ostream& err, const std::string& what) {
  err << "pigmora: " << what << "\nTry 'pigmora --help' for more information.\n";
  return UsageError;
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
    commandLine.given[name] = hasValue ? argument.substr(name.size() + 1) : std::string();
  }
  if (commandLine.has("--help")) {
    showHelp(out);
    return 0;
  }
  if (commandLine.has("--version")) {
    out << "Pigmora " << PigmoraVersion << "\n";
    return 0;
  }
  return GoOnAndPlay;
}
