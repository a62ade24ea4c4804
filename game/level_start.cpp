// The level step of start-up: load, build the room graph, reset.
#include "game/level_start.h"

#include "sim/collision.h"
#include "sim/movement.h"
#include "sim/reset.h"

namespace cog {

Status startLevel(Game& game, const LevelLoader& load) {
  if (game.device == nullptr) return Status::failure("no render device to load the level with");
  if (Status s = load(*game.device, game.level, game.actors); !s) return s;
  buildRoomGraph(game.level);
  resetGame(game.sim, game.actors);
  return okStatus();
}

}  // namespace cog
