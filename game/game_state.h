#pragma once
// State the game shell keeps between ticks: the key toggles it owns and the
// room the player was found in.

#include <cstdint>

namespace cog {

struct ShellState {
  uint8_t robotsFrozen = 0;
  int32_t currentRoom = -1;

  void reset() { *this = ShellState(); }
};

}  // namespace cog
