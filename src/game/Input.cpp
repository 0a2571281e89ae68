#include "Input.h"

bool PassInput::add(int player, int command) {
  if (count == Room || player < 0 || player > 1 || command < Command::Left ||
      command > Command::AbortGame)
    return false;
  inputs[count++] = {static_cast<int8_t>(player), static_cast<Command::Value>(command)};
  return true;
}

bool PassInput::operator==(const PassInput& other) const {
  if (count != other.count) return false;
  for (int i = 0; i < count; ++i)
    if (!(inputs[i] == other.inputs[i])) return false;
  return true;
}

int32_t tickLength(uint32_t tick) {
  return tick % 3 == 2 ? 16 : 17;
}

uint64_t tickStart(uint32_t tick) {
  uint64_t whole = tick / 3;
  uint64_t part = tick % 3;
  return whole * 50 + part * 17;
}
