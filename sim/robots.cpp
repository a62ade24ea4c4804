#include "sim/robots.h"

#include <cmath>

#include "audio/sound.h"
#include "base/vec.h"
#include "sim/collision.h"
#include "sim/movement.h"

namespace cog {

namespace {

// Ground point at `distance` along the actor direction (cos, 0, -sin) of
// `angle` degrees from (x, z). The angle is stored in radians as a float
// before its sine and cosine are taken.
void actorOffset(float x, float z, double angle, float distance, float& outX, float& outZ) {
  const float rad = static_cast<float>(angle * kDegToRad);
  outX = static_cast<float>(x + static_cast<double>(distance) * std::cos(static_cast<double>(rad)));
  outZ = static_cast<float>(z - static_cast<double>(distance) * std::sin(static_cast<double>(rad)));
}

}  // namespace

bool WalkStep(World& world, Actor& robot) {
  const double h = robot.rotation.y;
  Vec3& position = robot.position;
  if (isPathBlocked(world, robot.index, position.x, position.y, position.z)) return false;
  float sx, sz;
  actorOffset(position.x, position.z, h + 90.0, kRobotSideProbe, sx, sz);
  if (isPathBlocked(world, robot.index, sx, position.y, sz)) return false;
  actorOffset(position.x, position.z, h - 90.0, kRobotSideProbe, sx, sz);
  if (isPathBlocked(world, robot.index, sx, position.y, sz)) return false;
  // z first, then x.
  const float rad = static_cast<float>(h * kDegToRad);
  position.z = static_cast<float>(position.z - static_cast<double>(kRobotStep) * std::sin(static_cast<double>(rad)));
  position.x = static_cast<float>(position.x + static_cast<double>(kRobotStep) * std::cos(static_cast<double>(rad)));
  return true;
}

void robotTurnAndStep(World& world, Actor& robot) {
  const float yaw = headingDegrees(robot.position, world.sim.player.position);
  robot.SetRotation(0.0f, yaw, 0.0f);
  WalkStep(world, robot);
}

bool robotCatchesPlayer(World& world) {
  const Vec3& player = world.sim.player.position;
  for (const Actor& robot : world.actors.robots) {
    if (robot.alive && withinReach(player.x, player.z, robot.position.x, robot.position.z)) {
      world.audio.playEffect(world.audio.deadSegment);
      return true;
    }
  }
  return false;
}

}  // namespace cog
