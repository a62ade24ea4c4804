// The start of a game: robots, shot and player back at their places.
#include "sim/reset.h"

namespace cog {

void resetGame(SimState& sim, Actors& actors) {
  static constexpr Vec3 kRobotStarts[kRobotCount] = {
      {0.0f, 0.0f, 400.0f},    {800.0f, 0.0f, 600.0f},  {800.0f, 0.0f, 700.0f},  {900.0f, 0.0f, 1400.0f},
      {1000.0f, 0.0f, 1400.0f}, {1100.0f, 0.0f, 1300.0f}, {1200.0f, 0.0f, 1300.0f},
  };
  sim.gameOver = 0;
  for (int i = 0; i < kRobotCount; ++i)
    actors.robots[i].SetPosition(kRobotStarts[i].x, kRobotStarts[i].y, kRobotStarts[i].z);
  actors.shot.SetPosition(0.0f, -250.0f, 0.0f);
  actors.shot.SetRotationCentre(0.0f, -10.0f, 0.0f);
  for (Actor& robot : actors.robots) robot.alive = 1;
  for (Actor& robot : actors.robots) robot.walkPhase = 1.0f;
  actors.shot.velocity = Vec3(0.0f, 0.0f, 0.0f);
  actors.shot.inFlight = 0;
  sim.player.position = Vec3(0.0f, 0.0f, 50.0f);
  sim.player.heading = 0.0f;
}

}  // namespace cog
