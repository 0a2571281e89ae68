#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// The short code a Pigmora server gives a waiting host, for a friend to type: six symbols
// without the ones read for each other (0 and O, 1, I and L), shown as "K7M-X2Q", typed in
// either case, with or without the dash.
constexpr char CodeAlphabet[] = "23456789ABCDEFGHJKMNPQRSTUVWXYZ";
constexpr size_t CodeSymbols = sizeof(CodeAlphabet) - 1;
constexpr size_t CodeLength = 6;
// Where the dash goes when a code is shown.
constexpr size_t CodeDashAt = 3;

// Fills `size` bytes with unguessable ones.
using RandomBytes = std::function<void(uint8_t* bytes, size_t size)>;
// The system's own source of unguessable bytes.
void systemRandomBytes(uint8_t* bytes, size_t size);

// A new code, as stored and sent ("K7MX2Q"), each symbol equally likely.
std::string newCode(const RandomBytes& random);
// What a player typed, as stored ("k7m-x2q" gives "K7MX2Q"); false when it is no code.
bool readCode(const std::string& typed, std::string& code);
// A stored code as the player sees it: "K7M-X2Q".
std::string shownCode(const std::string& code);
