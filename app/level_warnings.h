#pragma once
// What a loaded level does that the game copes with but that will look or
// play wrong: `cogstorm --check` lists these after its summary.

#include <string>
#include <vector>

#include "game/game.h"

namespace cog {

// Looks at the level and the actors as a successful start left them (robots
// at their start points). One line per finding, each naming the file it
// comes from.
std::vector<std::string> levelWarnings(const Game& game);

}  // namespace cog
