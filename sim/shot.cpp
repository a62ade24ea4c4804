#include "sim/shot.h"

#include <cmath>

#include "base/vec.h"
#include "level/model.h"
#include "sim/movement.h"

namespace cog {

bool HitTest(Actor& robot, float x, float /*y*/, float z) {
  // A dead robot (resting at the dead place) is not hit again.
  if (!robot.alive) return false;
  const double rx = robot.position.x, rz = robot.position.z;
  // Strict on all four sides; a NaN fails every comparison and never hits.
  if (rx + kHitHalfWidth > x && rx - kHitHalfWidth < x && rz + kHitHalfWidth > z && rz - kHitHalfWidth < z) {
    robot.alive = 0;
    return true;
  }
  return false;
}

void fireShot(World& world) {
  Actor& shot = world.actors.shot;
  if (world.sim.gameOver || shot.inFlight != 0) return;
  const Player& player = world.sim.player;
  const float rad = static_cast<float>(static_cast<double>(player.heading) * kDegToRad);
  const double s = std::sin(static_cast<double>(rad));
  const double c = std::cos(static_cast<double>(rad));
  shot.SetPosition(static_cast<float>(player.position.x + static_cast<double>(kShotMuzzle) * s), 0.0f,
                   static_cast<float>(player.position.z + static_cast<double>(kShotMuzzle) * c));
  shot.SetRotation(0.0f, player.heading, 0.0f);
  shot.SetVelocity(static_cast<float>(kShotSpeed * s), 0.0f, static_cast<float>(kShotSpeed * c));
}

bool shotBlocked(World& world) {
  Actor& shot = world.actors.shot;
  world.sim.shotTip = Vec3(shot.position.x + shot.velocity.x, shot.position.y + shot.velocity.y,
                     shot.position.z + shot.velocity.z);
  if (isPathBlocked(world, kMoverShot, shot.position.x, shot.position.y, shot.position.z)) {
    shot.inFlight = 0;
    return true;
  }
  return false;
}

void shotHits(World& world) {
  Actor& shot = world.actors.shot;
  for (Actor& robot : world.actors.robots) {
    // Only a flying shot hits; once parked by a hit it is out for this tick.
    if (!shot.inFlight) return;
    if (HitTest(robot, shot.position.x, shot.position.y, shot.position.z)) {
      shot.SetPosition(kShotPark.x, kShotPark.y, kShotPark.z);
      shot.SetVelocity(0.0f, 0.0f, 0.0f);
      shot.inFlight = 0;
    }
  }
}

}  // namespace cog
