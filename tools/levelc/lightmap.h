#pragma once
// Light maps: one small image per visible room record, baked from the
// level's point lights with shadows cast by walls and props, over an ambient
// floor.

#include <vector>

#include "tools/levelc/image.h"
#include "tools/levelc/mesh.h"
#include "tools/levelc/raycast.h"
#include "tools/levelc/source.h"

namespace cog {

// The light map of every room record that is not a marker, in record order.
std::vector<Image> bakeLightMaps(const LevelSource& src, const CompiledLevel& level, const Occluders& shadowCasters);

}  // namespace cog
