#pragma once
// Writes a compiled level into a folder: the five level text files, the
// painted textures, the light maps and the two base textures.

#include <string>
#include <vector>

#include "tools/levelc/image.h"
#include "tools/levelc/mesh.h"
#include "tools/levelc/source.h"

namespace cog {

struct WriteCounts {
  size_t files = 0;
  size_t bytes = 0;
};

// False with `error` naming the file that could not be written.
bool writeLevel(const std::string& dir, const LevelSource& src, const CompiledLevel& level,
                const std::vector<Image>& textures, const std::vector<Image>& lightMaps, WriteCounts& counts,
                std::string& error);

}  // namespace cog
