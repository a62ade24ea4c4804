#include "tools/levelc/compile.h"

#include <filesystem>

#include "tools/levelc/geometry.h"
#include "tools/levelc/lightmap.h"
#include "tools/levelc/painter.h"
#include "tools/levelc/placement.h"
#include "tools/levelc/raycast.h"
#include "tools/levelc/source.h"
#include "tools/levelc/visibility.h"
#include "tools/levelc/writer.h"
#include "tools/mediagen/game_media.h"

namespace cog {

bool compileLevel(const std::string& sourcePath, const std::string& outDir, CompileReport& report, std::string& error) {
  LevelSource src;
  CompiledLevel level;
  if (!readLevelSource(sourcePath, src, error) || !checkPlacement(src, error) || !buildGeometry(src, level, error))
    return false;

  // Sight is blocked by walls only; light also by the props that cast shadows.
  Occluders walls, casters;
  for (const Record& r : level.rooms) walls.add(r), casters.add(r);
  for (const Record& r : level.props)
    if (r.castsShadow) casters.add(r);
  report.roomPairsInSight = addRoomMarkers(src, walls, level);

  std::vector<Image> textures;
  for (const TextureSource& t : src.textures) textures.push_back(paintTexture(t));
  const std::vector<Image> lightMaps = bakeLightMaps(src, level, casters);

  std::error_code ec;
  std::filesystem::create_directories(outDir, ec);
  if (ec) {
    error = outDir + ": cannot be made (" + ec.message() + ")";
    return false;
  }
  WriteCounts counts;
  if (!writeLevel(outDir, src, level, textures, lightMaps, counts, error)) return false;
  for (const mediagen::MediaFile& file : mediagen::gameMedia()) {
    const std::filesystem::path to = std::filesystem::path(outDir) / file.name;
    const auto own = src.media.find(file.role);
    if (own != src.media.end()) {
      std::filesystem::copy_file(own->second, to, std::filesystem::copy_options::overwrite_existing, ec);
      if (ec) {
        error = own->second + ": cannot be copied to " + to.string() + " (" + ec.message() + ")";
        return false;
      }
    } else {
      if (!mediagen::writeMediaFile(to, file.make(), error)) return false;
      report.generatedMedia += 1;
    }
    counts.files += 1;
  }

  // The x-ray view paints rooms out of sight with the fifth texture (index 4).
  const TextureSource& xray = src.textures[4];
  if (xray.paint != "xray")
    report.warnings.push_back(sourcePath + ":" + std::to_string(xray.line) +
                              ": the level has no x-ray texture: the fifth [[texture]] (\"" + xray.name +
                              "\", paint \"" + xray.paint +
                              "\") is what the x-ray view paints rooms out of sight with; paint it \"xray\"");

  report.rooms = src.rooms.size();
  report.roomRecords = level.rooms.size();
  for (const Record& r : level.rooms) report.markers += r.marker ? 1 : 0;
  report.propRecords = level.props.size();
  report.textures = textures.size();
  report.lightMaps = lightMaps.size() + 1;
  report.files = counts.files;
  return true;
}

}  // namespace cog
