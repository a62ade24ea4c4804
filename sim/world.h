#pragma once
// What the simulation reads and moves, handed to each of its steps: the
// game owns all of it (game/game.h); the simulation keeps nothing of its own.

#include "audio/sound.h"
#include "level/level_data.h"
#include "level/model.h"
#include "sim/state.h"

namespace cog {

struct World {
  SimState& sim;
  Actors& actors;
  const LevelData& level;
  AudioState& audio;
};

// Who asks isPathBlocked: the shot, the player, or a robot by its index
// (robot 0 asks as the player does).
constexpr int kMoverShot = -1;
constexpr int kMoverPlayer = 0;

}  // namespace cog
