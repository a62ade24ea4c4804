// cogstorm-levelc: compiles a level source (TOML) into the game's level
// folder. Usage: cogstorm-levelc SOURCE OUTDIR
// Reads the source, builds the records, places the room markers, paints the
// textures, bakes the light maps and writes everything; the same source gives
// the same bytes on every run.

#include <CLI/CLI.hpp>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "tools/levelc/geometry.h"
#include "tools/levelc/lightmap.h"
#include "tools/levelc/painter.h"
#include "tools/levelc/raycast.h"
#include "tools/levelc/source.h"
#include "tools/levelc/visibility.h"
#include "tools/levelc/writer.h"

int main(int argc, char** argv) {
  CLI::App app{"Compiles a Cogstorm level source into a level folder"};
  std::string sourcePath, outDir;
  bool quiet = false;
  app.add_option("source", sourcePath, "level source (.toml)")->required();
  app.add_option("outdir", outDir, "folder to write the level into (made if missing)")->required();
  app.add_flag("-q,--quiet", quiet, "print nothing on success");
  CLI11_PARSE(app, argc, argv);

  const auto started = std::chrono::steady_clock::now();
  std::string error;
  LevelSource src;
  CompiledLevel level;
  if (!readLevelSource(sourcePath, src, error) || !buildGeometry(src, level, error)) {
    std::fprintf(stderr, "cogstorm-levelc: %s\n", error.c_str());
    return 1;
  }

  Occluders walls, casters;
  for (const Record& r : level.rooms) walls.add(r), casters.add(r);
  for (const Record& r : level.props)
    if (r.castsShadow) casters.add(r);
  const int visiblePairs = addRoomMarkers(src, walls, level);

  std::vector<Image> textures;
  for (const TextureSource& t : src.textures) textures.push_back(paintTexture(t));
  const std::vector<Image> lightMaps = bakeLightMaps(src, level, casters);

  std::error_code ec;
  std::filesystem::create_directories(outDir, ec);
  WriteCounts counts;
  if (ec || !writeLevel(outDir, src, level, textures, lightMaps, counts, error)) {
    std::fprintf(stderr, "cogstorm-levelc: %s\n", ec ? (outDir + ": cannot be made").c_str() : error.c_str());
    return 1;
  }
  if (!quiet) {
    size_t markers = 0;
    for (const Record& r : level.rooms) markers += r.marker ? 1 : 0;
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
    std::printf("%s: %zu rooms, %zu room records (%zu markers, %d room pairs in sight), %zu prop records, "
                "%zu textures, %zu light maps, %zu files, %.0f ms\n",
                outDir.c_str(), src.rooms.size(), level.rooms.size(), markers, visiblePairs, level.props.size(),
                textures.size(), lightMaps.size() + 1, counts.files, ms);
  }
  return 0;
}
