#pragma once
// Start-up's level step: load the level files, then build the room graph
// from the loaded rooms and reset the game, in that order.

#include <cstdint>
#include <string>

#include "level/level_data.h"

namespace cog {

// loadLevel from the working directory, then buildRoomGraph and resetGame.
// 0 or E_FAIL with `error` from the loader; nothing is built or reset after
// a failed load.
int32_t startLevel(std::string& error);
// The same with the files read through `open` (tests and fuzzing).
int32_t startLevelFrom(const LevelFileOpener& open, std::string& error);

}  // namespace cog
