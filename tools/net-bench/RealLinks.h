#pragma once

// Plays `games` Versus games for each link condition over real ENet sockets on the
// loopback address, through the delaying, dropping relay, in real time; prints the figures
// beside which the simulated ones stand. Returns the games whose two sides disagreed, or
// ended otherwise than by the rules.
int benchRealLinks(int games);
// How many link conditions it plays.
constexpr int RealLinkConditions = 4;
