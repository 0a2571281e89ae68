#pragma once

#include <cstdint>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

// The program's options: one table row each, read by readCommandLine and listed by --help.
struct CommandLineOption {
  enum Value { NoValue, OptionalValue, RequiredValue };
  const char* name;       // "--help"
  Value value;            // whether "=VALUE" may or must follow
  const char* valueName;  // how --help shows the value, or nullptr
  std::string help;
  // The value may also come as the next argument ("--replay FILE").
  bool separateValue = false;
};

extern const std::vector<CommandLineOption> CommandLineOptions;

// The options given, each with its value ("" when none came).
struct CommandLine {
  std::map<std::string, std::string> given;
  // The computer's level for "2p Versus" (--versus-computer), or 0 for two people.
  int versusComputerLevel = 0;
  // The port of --host (0 without it).
  uint16_t hostPort = 0;
  // The hold-back of --watch-delay, in seconds.
  int watchDelay = 0;

  bool has(const std::string& name) const { return given.count(name) != 0; }
};

// What readCommandLine tells main to do once it has read the arguments.
constexpr int GoOnAndPlay = -1;

// Reads the arguments. GoOnAndPlay when the game should start; otherwise the exit status
// to end with at once, having answered --help or --version on out or named a mistake on
// err.
int readCommandLine(int argc, char** argv, CommandLine& commandLine, std::ostream& out,
                    std::ostream& err);
