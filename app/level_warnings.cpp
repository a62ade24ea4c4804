#include "app/level_warnings.h"

#include <sstream>

#include "level/level_data.h"
#include "level/model.h"
#include "sim/collision.h"

namespace cog {

namespace {

std::string point(const Vec3& p) {
  std::ostringstream s;
  s << "(" << p.x << ", " << p.y << ", " << p.z << ")";
  return s.str();
}

}  // namespace

std::vector<std::string> levelWarnings(const Game& game) {
  const LevelData& level = game.level;
  const Actors& actors = game.actors;
  std::vector<std::string> out;
  const size_t textures = level.levelTextures.size();
  if (textures < static_cast<size_t>(kFullLevelTextures))
    out.push_back("dat.txt: the level names " + std::to_string(textures) + (textures == 1 ? " texture" : " textures") +
                  "; the x-ray view draws untextured without a fifth");
  if (level.lightMaps.empty()) out.push_back("Lbank.txt: the level has no light maps; records are drawn without them");

  // The mirror marks its pane with the first four vertices of room record 0,
  // drawn as a strip of two triangles.
  if (level.rooms.empty()) {
    out.push_back("dat.txt: the level has no room records, so no mirror pane (room record 0)");
  } else {
    const MeshRecord& pane = level.rooms[0];
    if (pane.primitiveType != 0 || pane.vertices.size() < 4)
      out.push_back("dat.txt: the mirror pane (room record 0) is not a quad: it has " +
                    std::to_string(pane.vertices.size()) + " vertices" +
                    (pane.primitiveType != 0 ? " in list form" : "") +
                    ", and the mirror is drawn from its first four as a strip");
  }

  for (int i = 0; i < kRobotCount; ++i) {
    const Vec3& start = actors.robots[i].position;
    if (locateRoom(level, start) < 0)
      out.push_back("dat.txt: robot " + std::to_string(i) + " starts at " + point(start) +
                    ", which is on no floor of the room list");
  }
  return out;
}

}  // namespace cog
