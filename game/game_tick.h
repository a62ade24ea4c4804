#pragma once
// One tick of the game: advance the world one step and draw one frame.

#include <cstdint>

#include "game/game.h"

namespace cog {

constexpr uint32_t kClearColour = 0xFF000000u;

int32_t GameTick(Game& game);

}  // namespace cog
