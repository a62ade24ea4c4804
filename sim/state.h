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
  int32_t moverIndex = 0;  // -1 the shot, 0 the player (and robot 0), 1..6 robots
  uint8_t separationEnabled = 0;
  Vec3 shotTip;

  void reset() { *this = SimState(); }
};
extern SimState sim;

}  // namespace cog
