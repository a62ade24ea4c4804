#include "sim/movement.h"

#include <cmath>

#include "audio/sound.h"
#include "base/vec.h"
#include "level/level_data.h"
#include "level/model.h"
#include "sim/collision.h"
#include "sim/state.h"

namespace cog {

namespace {

// Who robot k (1..6) keeps its distance from, in test order, and whose
// root-part meshes its line is tested against. Robot 0 asks as the player
// and is not in this table.
struct RobotRule {
  int spacing[6];
  int spacingCount;
  int meshes[2];
};
constexpr RobotRule kRobotRules[7] = {
    {{}, 0, {0, 0}},                   // 0: unused (asks as the player)
    {{2}, 1, {0, 1}},                  // 1
    {{}, 0, {0, 2}},                   // 2
    {{1, 2, 0, 6, 5, 4}, 6, {1, 2}},   // 3
    {{1, 2, 0, 6, 5}, 5, {1, 2}},      // 4
    {{1, 2, 0, 6}, 4, {1, 2}},         // 5
    {{1, 2, 0}, 3, {1, 2}},            // 6
};

// The ground-rectangle prefilter, then the triangle test, over one list.
bool listBlocks(const std::vector<MeshRecord>& records, const Vec3& p, const Vec3& r, float minX, float maxX,
                float minZ, float maxZ) {
  for (const MeshRecord& record : records) {
    if (record.isMarker) continue;
    if (record.boundsMax.x < minX || record.boundsMin.x > maxX || record.boundsMax.z < minZ ||
        record.boundsMin.z > maxZ)
      continue;
    if (segmentHits(record, p, r)) return true;
  }
  return false;
}

bool robotsBlock(const Actors& actors, int k, const Vec3& p, const Vec3& r) {
  const RobotRule& rule = kRobotRules[k];
  const Vec3& me = actors.robots[k].position;
  for (int i = 0; i < rule.spacingCount; ++i) {
    const Vec3& other = actors.robots[rule.spacing[i]].position;
    const double dz = std::fabs(static_cast<double>(other.z) - me.z);
    const double dx = std::fabs(static_cast<double>(other.x) - me.x);
    if (dz < kRobotSpacing && dx < kRobotSpacing) return true;
  }
  // The root part's mesh as stored, in the model's own coordinates.
  for (int j : rule.meshes) {
    const ModelPart* root = actors.robots[j].model.get();
    if (root != nullptr && segmentHits(root->mesh, p, r)) return true;
  }
  return false;
}

// One player move in direction `angle` degrees; `sign` -1 walks backwards.
void walk(World& world, double angle, double sign, float step) {
  SimState& sim = world.sim;
  world.audio.UpdateListener(sim.player.position, sim.player.heading);
  if (sim.gameOver) return;
  Vec3& pos = sim.player.position;
  const float rad = static_cast<float>(angle * kDegToRad);
  const float tx = static_cast<float>(pos.x + sign * kProbeDistance * std::sin(static_cast<double>(rad)));
  const float tz = static_cast<float>(pos.z + sign * kProbeDistance * std::cos(static_cast<double>(rad)));
  if (isPathBlocked(world, kMoverPlayer, tx, pos.y, tz)) return;
  pos.x = static_cast<float>(pos.x + sign * step * std::sin(static_cast<double>(rad)));
  pos.z = static_cast<float>(pos.z + sign * step * std::cos(static_cast<double>(rad)));
  world.audio.UpdateListener(sim.player.position, sim.player.heading);
}

}  // namespace

bool isPathBlocked(World& world, int mover, float x, float /*y*/, float z) {
  SimState& sim = world.sim;
  Vec3 p, r;
  if (mover == kMoverShot) {
    p = sim.shotTip;
    r = Vec3(x, p.y, z);
  } else {
    p = Vec3(sim.player.position.x, kProbeHeight, sim.player.position.z);
    r = Vec3(x, kProbeHeight, z);
    if (!sim.gameOver && sim.player.position.x < kXLimit) {
      sim.player.position.x = kXLimitSnap;
      return true;
    }
  }
  const float minX = p.x < r.x ? p.x : r.x;
  const float maxX = p.x < r.x ? r.x : p.x;
  const float minZ = p.z < r.z ? p.z : r.z;
  const float maxZ = p.z < r.z ? r.z : p.z;

  if (listBlocks(world.level.rooms, p, r, minX, maxX, minZ, maxZ)) return true;
  if (sim.separationEnabled && mover >= 1 && mover < kRobotCount) {
    if (robotsBlock(world.actors, mover, p, r)) return true;
  }
  return listBlocks(world.level.props, p, r, minX, maxX, minZ, maxZ);
}

void walkForward(World& world) { walk(world, world.sim.player.heading, 1.0, kStepForward); }
void walkBackward(World& world) { walk(world, world.sim.player.heading, -1.0, kStepForward); }
void strafeRight(World& world) { walk(world, static_cast<double>(world.sim.player.heading) + 90.0, 1.0, kStepSide); }
void strafeLeft(World& world) { walk(world, static_cast<double>(world.sim.player.heading) - 90.0, 1.0, kStepSide); }

void turnRight(World& world) {
  SimState& sim = world.sim;
  if (sim.gameOver) return;
  sim.player.heading = sim.player.heading + kTurnStep;
  world.audio.UpdateListener(sim.player.position, sim.player.heading);
}

void turnLeft(World& world) {
  SimState& sim = world.sim;
  if (sim.gameOver) return;
  sim.player.heading = sim.player.heading - kTurnStep;
  world.audio.UpdateListener(sim.player.position, sim.player.heading);
}

}  // namespace cog
