#pragma once
// Writing RGBA8 pixels as a PNG file (libpng).

#include <cstdint>
#include <string>
#include <vector>

namespace cog {

// Writes `rgba` (rows top first, width * height * 4 bytes) to `path`. False
// with `error` naming the file and what went wrong.
bool writePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba,
              std::string& error);

}  // namespace cog
