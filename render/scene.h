#pragma once
// What a drawing pass draws with: the device, the level's lists and the
// flags the tick and the keys set. The game owns all three (game/game.h).

#include "level/level_data.h"
#include "render/draw_flags.h"
#include "seams/render_device.h"

namespace cog {

struct Scene {
  RenderDevice& device;
  const LevelData& level;
  DrawFlags& flags;
};

}  // namespace cog
