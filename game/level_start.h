#pragma once
// Start-up's level step: load the level files, then build the room graph
// from the loaded rooms and reset the game, in that order.

#include <functional>

#include "base/status.h"
#include "game/game.h"

namespace cog {

// Reads a level into the lists and the actors' models (loadLevel, or
// loadLevelFrom with files kept elsewhere).
using LevelLoader = std::function<Status(RenderDevice&, LevelData&, Actors&)>;

// `load` on the game's device, then buildRoomGraph and resetGame; nothing is
// built or reset after a failed load.
Status startLevel(Game& game, const LevelLoader& load);

}  // namespace cog
