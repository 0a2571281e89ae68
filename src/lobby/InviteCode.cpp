#include "InviteCode.h"

#include <cctype>
#include <cstring>
#include <random>

namespace {
// Bytes at or past this are thrown back, so that every symbol is as likely as another.
constexpr unsigned FairBytes = 256 / CodeSymbols * CodeSymbols;

bool codeSymbol(char c) {
  return c != '\0' && std::strchr(CodeAlphabet, c) != nullptr;
}
}  // namespace

void systemRandomBytes(uint8_t* bytes, size_t size) {
  static std::random_device source;
  for (size_t i = 0; i < size; i += sizeof(unsigned)) {
    unsigned word = source();
    std::memcpy(bytes + i, &word, std::min(sizeof word, size - i));
  }
}

std::string newCode(const RandomBytes& random) {
  std::string code;
  while (code.size() < CodeLength) {
    uint8_t byte = 0;
    random(&byte, 1);
    if (byte < FairBytes) code += CodeAlphabet[byte % CodeSymbols];
  }
  return code;
}

bool readCode(const std::string& typed, std::string& code) {
  std::string read;
  for (size_t i = 0; i < typed.size(); ++i) {
    if (typed[i] == '-' && i == CodeDashAt && typed.size() == CodeLength + 1) continue;
    char c = static_cast<char>(std::toupper(static_cast<unsigned char>(typed[i])));
    if (!codeSymbol(c)) return false;
    read += c;
  }
  if (read.size() != CodeLength) return false;
  code = read;
  return true;
}

std::string shownCode(const std::string& code) {
  return code.substr(0, CodeDashAt) + "-" + code.substr(CodeDashAt);
}
