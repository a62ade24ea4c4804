#pragma once
// The start of a game, for start-up and the new-game key.

#include "level/model.h"
#include "sim/state.h"

namespace cog {

// Start of a game: robots at their start points and alive, the shot parked,
// the player at (0, 0, 50) facing +z, gameOver cleared.
void resetGame(SimState& sim, Actors& actors);

}  // namespace cog
