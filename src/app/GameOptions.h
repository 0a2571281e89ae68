#pragma once

struct CommandLine;
class GameContext;

// What the command line asks of the games the menu starts: the computer's level in Versus,
// and whether Versus is played over the network, as host or joiner, and where.
void applyGameOptions(const CommandLine& commandLine, GameContext& context);
