// The shipped level as the game loads it: the mirror pane, where the robots
// and the end places stand, what the room graph keeps out of sight, the
// models, and that every shot a player can fire stops.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "base/status.h"
#include "game/game.h"
#include "level/level_data.h"
#include "level/model.h"
#include "sim/collision.h"
#include "sim/movement.h"
#include "sim/state.h"
#include "support/test_game.h"

namespace cog {

namespace {

class ShippedLevel : public GameTest {
 protected:
  void SetUp() override {
    previousDir = std::filesystem::current_path().string();
    ASSERT_EQ(chdir(COGSTORM_SHIPPED_LEVEL_BUILD), 0) << "the shipped level is not built";
    dev.realTextures = true;  // the images are read, as the game reads them
    dev.setRecording(false);
    const Status started = game.start(dev, engine);
    ASSERT_TRUE(started.ok()) << started.message();
  }
  void TearDown() override {
    game.shutdown();
    if (!previousDir.empty()) {
      EXPECT_EQ(chdir(previousDir.c_str()), 0);
    }
  }

  std::string previousDir;
};

bool insideAProp(const LevelData& level, float x, float z, float margin) {
  for (const MeshRecord& p : level.props)
    if (x > p.boundsMin.x - margin && x < p.boundsMax.x + margin && z > p.boundsMin.z - margin &&
        z < p.boundsMax.z + margin && p.boundsMin.y < -80 && p.boundsMax.y > -80)
      return true;
  return false;
}

void collectParts(const ModelPart* p, std::vector<const ModelPart*>& out) {
  for (; p; p = p->sibling.get()) {
    out.push_back(p);
    collectParts(p->child.get(), out);
  }
}

}  // namespace

// The window decodes these ahead: they must be the files start-up asks
// the device for, in its order (a file named twice is asked for once).
TEST_F(ShippedLevel, StartImageFilesAreWhatStartUpReadsInItsOrder) {
  std::vector<std::string> asked;
  for (uint32_t id = 1; id <= dev.texturesCreated(); ++id) asked.push_back(dev.textureFileName(id));
  std::vector<std::string> listed;
  for (const std::string& name : Game::startImageFiles())
    if (std::find(listed.begin(), listed.end(), name) == listed.end()) listed.push_back(name);
  ASSERT_LE(listed.size(), asked.size());
  EXPECT_GT(listed.size(), 300u);
  EXPECT_EQ(listed, std::vector<std::string>(asked.begin(), asked.begin() + static_cast<std::ptrdiff_t>(listed.size())));
}

TEST_F(ShippedLevel, MirrorPaneIsRecordZero) {
  const MeshRecord& pane = level.rooms.at(0);
  EXPECT_EQ(pane.isMarker, 0);
  EXPECT_EQ(pane.primitiveType, 0);
  ASSERT_GE(pane.vertices.size(), 4u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(pane.vertices[static_cast<size_t>(i)].x, -100.0f) << "vertex " << i;
  EXPECT_LT(pane.boundsMin.z, 600.0f);
  EXPECT_GT(pane.boundsMax.z, 600.0f);
  EXPECT_LT(level.materials.at(static_cast<size_t>(pane.materialIndex)).diffuse.a, 1.0f) << "the glass is opaque";
  EXPECT_GE(level.levelTextures.size(), 5u);
  // Shots stop at the pane (and at the wall behind it).
  sim.shotTip = Vec3(-90.0f, 0.0f, 600.0f);
  EXPECT_TRUE(isPathBlocked(world, kMoverShot, -110.0f, 0.0f, 600.0f));
}

TEST_F(ShippedLevel, RobotsStartOnFloorsClearOfProps) {
  for (const Actor& robot : actors.robots) {
    EXPECT_GE(locateRoom(level, robot.position), 0) << "robot " << robot.index;
    EXPECT_FALSE(insideAProp(level, robot.position.x, robot.position.z, 20.0f)) << "robot " << robot.index;
  }
  EXPECT_GE(locateRoom(level, sim.player.position), 0);
}

TEST_F(ShippedLevel, EndBoothsSeeOnlyThemselves) {
  const int caught = locateRoom(level, Vec3(-1900.0f, 0.0f, 9900.0f));
  const int won = locateRoom(level, Vec3(-1800.0f, 0.0f, 9900.0f));
  ASSERT_GE(caught, 0);
  ASSERT_GE(won, 0);
  ASSERT_NE(caught, won);
  for (int room = 0; room < level.roomGraph.size; ++room)
    for (int booth : {caught, won}) {
      EXPECT_EQ(level.roomGraph.get(room, booth), room == booth ? 1 : 0) << room << " sees " << booth;
      EXPECT_EQ(level.roomGraph.get(booth, room), room == booth ? 1 : 0) << booth << " sees " << room;
    }
  // The far hall where four robots wait is out of sight of the start.
  const int start = locateRoom(level, Vec3(0.0f, 0.0f, 50.0f));
  const int far = locateRoom(level, actors.robots[3].position);
  EXPECT_NE(start, far);
  EXPECT_EQ(level.roomGraph.get(start, far), 0);
}

TEST_F(ShippedLevel, ModelsFitTheGame) {
  std::vector<const ModelPart*> parts;
  collectParts(actors.robots[0].model.get(), parts);
  EXPECT_GE(parts.size(), 6u);
  float lowest = 1e9f;
  for (const ModelPart* p : parts) {
    lowest = std::min(lowest, p->mesh.boundsMin.y);
    ASSERT_FALSE(p->keys.empty());
    EXPECT_EQ(p->keys.back().time, 1.0f);
  }
  EXPECT_EQ(lowest, -90.0f) << "feet on the floor";
  // The root part is also tested untransformed at the origin by the robots'
  // path queries: it must stay above the probe height.
  EXPECT_GT(actors.robots[0].model->mesh.boundsMin.y, -80.0f);
  const MeshRecord& bolt = actors.shot.model->mesh;
  EXPECT_LT(std::fabs((bolt.boundsMin.y + bolt.boundsMax.y) / 2), 5.0f);
  EXPECT_LT(bolt.boundsMax.z - bolt.boundsMin.z, 30.0f);
}

// From every place a player can stand, in sixteen directions, the shot
// meets a wall or a prop: none flies for ever.
TEST_F(ShippedLevel, EveryShotStops) {
  int shots = 0;
  for (float x = -80; x < 1500; x += 60)
    for (float z = -80; z < 1800; z += 60) {
      const int room = locateRoom(level, Vec3(x, 0.0f, z));
      if (room < 0 || insideAProp(level, x, z, 12.0f)) continue;
      for (int d = 0; d < 16; ++d) {
        const float h = static_cast<float>(d) * 22.5f * 0.017453292f;
        const Vec3 step(14.0f * std::sin(h), 0.0f, 14.0f * std::cos(h));
        Vec3 pos(x + 24.0f * std::sin(h), 0.0f, z + 24.0f * std::cos(h));
        bool stopped = false;
        for (int tick = 0; tick < 400 && !stopped; ++tick) {
          sim.shotTip = Vec3(pos.x + step.x, pos.y + step.y, pos.z + step.z);
          stopped = isPathBlocked(world, kMoverShot, pos.x, pos.y, pos.z);
          pos = sim.shotTip;
        }
        EXPECT_TRUE(stopped) << "a shot from (" << x << ", " << z << ") heading " << d * 22.5f << " flies on";
        ++shots;
      }
    }
  EXPECT_GT(shots, 3000);
}

}  // namespace cog
