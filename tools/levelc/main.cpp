// cogstorm-levelc: compiles a level source (TOML) into the game's level
// folder, with its music and sounds. Usage: cogstorm-levelc [--quiet] SOURCE OUTDIR

#include <CLI/CLI.hpp>

#include <chrono>
#include <cstdio>

#include "tools/levelc/compile.h"

namespace cog {

int programMain(int argc, char** argv) {
  CLI::App app{"Compiles a Cogstorm level source into a level folder"};
  std::string sourcePath, outDir;
  bool quiet = false;
  app.add_option("source", sourcePath, "level source (.toml)")->required();
  app.add_option("outdir", outDir, "folder to write the level into (made if missing)")->required();
  app.add_flag("-q,--quiet", quiet, "print nothing on success");
  CLI11_PARSE(app, argc, argv);

  const auto started = std::chrono::steady_clock::now();
  CompileReport r;
  std::string error;
  if (!compileLevel(sourcePath, outDir, r, error)) {
    std::fprintf(stderr, "cogstorm-levelc: %s\n", error.c_str());
    return 1;
  }
  for (const std::string& warning : r.warnings) std::fprintf(stderr, "cogstorm-levelc: warning: %s\n", warning.c_str());
  if (!quiet) {
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
    std::printf("%s: %zu rooms, %zu room records (%zu markers, %d room pairs in sight), %zu prop records, "
                "%zu textures, %zu light maps, %zu files, %.0f ms\n",
                outDir.c_str(), r.rooms, r.roomRecords, r.markers, r.roomPairsInSight, r.propRecords, r.textures,
                r.lightMaps, r.files, ms);
  }
  return 0;
}

}  // namespace cog

int main(int argc, char** argv) { return cog::programMain(argc, argv); }
