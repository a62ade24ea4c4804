#pragma once
// The simulation's shared state: the player, the game-over flag and the
// movement query's context.

#include <cstdint>

#include "base/vec3.h"

namespace cog {

struct Player {
  Vec3 position{0.0f, 0.0f, 50.0f};
  float heading = 0.0f;  // degrees, never wrapped; 0 faces +z
};

struct SimState {
  Player player;
  uint8_t gameOver = 0;
  uint8_t separationEnabled = 0;
  Vec3 shotTip;

  void reset() { *this = SimState(); }
};

}  // namespace cog
