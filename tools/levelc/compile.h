#pragma once
// The whole compilation: source file in, level folder out.

#include <cstddef>
#include <string>
#include <vector>

namespace cog {

struct CompileReport {
  size_t rooms = 0, roomRecords = 0, markers = 0, propRecords = 0, textures = 0, lightMaps = 0, files = 0;
  int roomPairsInSight = 0;
  size_t generatedMedia = 0;  // music and sounds written by the media generator
  // What compiles but will look or play wrong, one line each, naming the
  // source ("FILE: ...").
  std::vector<std::string> warnings;
};

// Reads `sourcePath`, builds the records, places the room markers, paints
// the textures, bakes the light maps and writes everything into `outDir`
// (made if missing), with the music and sounds: the source's own where its
// [media] names them, else the media generator's, so the folder plays at once. The same source gives the same bytes on every run.
// False with `error` ("FILE:LINE: expected ..." for source faults).
bool compileLevel(const std::string& sourcePath, const std::string& outDir, CompileReport& report, std::string& error);

}  // namespace cog
