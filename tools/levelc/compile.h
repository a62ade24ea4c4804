#pragma once
// The whole compilation: source file in, level folder out.

#include <cstddef>
#include <string>

namespace cog {

struct CompileReport {
  size_t rooms = 0, roomRecords = 0, markers = 0, propRecords = 0, textures = 0, lightMaps = 0, files = 0;
  int roomPairsInSight = 0;
};

// Reads `sourcePath`, builds the records, places the room markers, paints
// the textures, bakes the light maps and writes everything into `outDir`
// (made if missing). The same source gives the same bytes on every run.
// False with `error` ("FILE:LINE: expected ..." for source faults).
bool compileLevel(const std::string& sourcePath, const std::string& outDir, CompileReport& report, std::string& error);

}  // namespace cog
