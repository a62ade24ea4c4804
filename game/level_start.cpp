#include "game/level_start.h"

#include "sim/collision.h"
#include "sim/movement.h"

namespace cog {

namespace {

int32_t buildAndReset(int32_t loaded) {
  if (loaded != kOk) return loaded;
  buildRoomGraph();
  resetGame();
  return kOk;
}

}  // namespace

int32_t startLevel(std::string& error) { return buildAndReset(loadLevel(error)); }

int32_t startLevelFrom(const LevelFileOpener& open, std::string& error) {
  return buildAndReset(loadLevelFrom(open, error));
}

}  // namespace cog
