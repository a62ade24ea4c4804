#include <gtest/gtest.h>

#include <cmath>

#include "audio/rec/silent_engine.h"
#include "audio/sound.h"
#include "level/level_data.h"
#include "level/model.h"
#include "sim/movement.h"
#include "sim/reset.h"
#include "sim/robots.h"
#include "sim/state.h"
#include "support/mesh_builders.h"
#include "support/test_game.h"

namespace cog {

namespace {

constexpr SegmentId kDeadSound = 42;

class Robots : public GameTest {
 protected:
  void SetUp() override {
    audio.engine = &engine;  // the effects started are in audio.startedEffects
    audio.deadSegment = kDeadSound;
    resetGame(sim, actors);
    sim.separationEnabled = 1;
  }
  static double groundDistance(const Vec3& a, const Vec3& b) {
    return std::hypot(static_cast<double>(a.x) - b.x, static_cast<double>(a.z) - b.z);
  }
};

TEST_F(Robots, RobotClosesTenPerTickUntilItCatchesThePlayer) {
  // The tick's robot pass without drawing: all seven turn and step, then the
  // caught test. Robot 0 starts 350 ahead of the player.
  Actor& r0 = actors.robots[0];
  int ticks = 0;
  bool caught = false;
  while (!caught && ticks < 100) {
    const double before = groundDistance(r0.position, sim.player.position);
    for (Actor& robot : actors.robots) robotTurnAndStep(world, robot);
    ++ticks;
    const double after = groundDistance(r0.position, sim.player.position);
    ASSERT_NEAR(before - after, 10.0, 1e-3) << "tick " << ticks;
    ASSERT_NEAR(r0.position.x, 0.0, 1e-3);
    caught = robotCatchesPlayer(world);
  }
  EXPECT_TRUE(caught);
  EXPECT_EQ(ticks, 32);  // 350 - 32 * 10 = 30: within reach, inclusive
  EXPECT_FLOAT_EQ(r0.position.z, 80.0f);
  EXPECT_EQ(audio.startedEffects, std::vector<SegmentId>{kDeadSound});
}

TEST_F(Robots, FacesThePlayerAndStepsAlongItsModelXAxis) {
  // An actor faces (cos h, 0, -sin h): a robot on the player's +x side
  // turns to 180, one on the +x +z diagonal to 135.
  Actor& r = actors.robots[4];
  r.SetPosition(300, 0, 50);
  robotTurnAndStep(world, r);
  EXPECT_FLOAT_EQ(r.rotation.y, 180.0f);
  EXPECT_EQ(r.rotation.x, 0.0f);
  EXPECT_EQ(r.rotation.z, 0.0f);
  EXPECT_FLOAT_EQ(r.position.x, 290.0f);
  EXPECT_NEAR(r.position.z, 50.0f, 1e-4);

  r.SetPosition(100, 0, 150);
  robotTurnAndStep(world, r);
  EXPECT_NEAR(r.rotation.y, 135.0f, 1e-4);
  EXPECT_NEAR(r.position.x, 100 - 10 / std::sqrt(2.0), 1e-4);
  EXPECT_NEAR(r.position.z, 150 - 10 / std::sqrt(2.0), 1e-4);
}

TEST_F(Robots, LinesFromThePlayerToCentreAndSidesMustBeClear) {
  // Robot 0 at (0, 0, 400) facing the player at (0, 0, 50): its side points
  // are (-20, 400) and (20, 400). A short wall at z = 380 cuts one line.
  Actor& r0 = actors.robots[0];
  for (float x0 : {15.0f, -25.0f, -5.0f}) {
    SCOPED_TRACE(x0);
    level.clear();
    level.rooms.push_back(wallRecord(x0, 380, x0 + 10, 380, -200, 100));
    r0.SetPosition(0, 0, 400);
    robotTurnAndStep(world, r0);
    EXPECT_EQ(r0.position, Vec3(0, 0, 400));
  }
  // A wall that cuts none of the three lines.
  level.clear();
  level.rooms.push_back(wallRecord(25, 380, 35, 380, -200, 100));
  robotTurnAndStep(world, r0);
  EXPECT_NEAR(r0.position.z, 390.0f, 1e-4);
}

TEST_F(Robots, Robot0IsNeverHeldBySpacingButRobot3Is) {
  actors.robots[0].SetPosition(0, 0, 400);
  actors.robots[3].SetPosition(30, 0, 430);
  const Vec3 r3 = actors.robots[3].position;
  EXPECT_TRUE(WalkStep(world, actors.robots[0]));
  EXPECT_FALSE(WalkStep(world, actors.robots[3]));
  EXPECT_EQ(actors.robots[3].position, r3);
}

TEST_F(Robots, XLimitHoldsTheAskingRobotForOneTick) {
  sim.player.position.x = -99;
  Actor& r0 = actors.robots[0];
  const Vec3 before = r0.position;
  EXPECT_FALSE(WalkStep(world, r0));
  EXPECT_EQ(r0.position, before);
  EXPECT_EQ(sim.player.position.x, -90.0f);
  EXPECT_TRUE(WalkStep(world, r0));
}

TEST_F(Robots, DeadRobotsAndEndedGamesStillTurnAndStep) {
  Actor& r = actors.robots[0];
  r.alive = 0;
  sim.gameOver = 1;
  robotTurnAndStep(world, r);
  EXPECT_NEAR(r.position.z, 390.0f, 1e-4);
}

TEST_F(Robots, CatchPlaysTheDeathSoundOnce) {
  actors.robots[2].SetPosition(10, 0, 60);
  actors.robots[4].SetPosition(-10, 5000, 40);  // height plays no part
  EXPECT_TRUE(robotCatchesPlayer(world));
  EXPECT_EQ(audio.startedEffects, std::vector<SegmentId>{kDeadSound});
}

TEST_F(Robots, DeadRobotsNeverCatch) {
  for (Actor& r : actors.robots) {
    r.SetPosition(0, 0, 50);
    r.alive = 0;
  }
  EXPECT_FALSE(robotCatchesPlayer(world));
  EXPECT_TRUE(audio.startedEffects.empty());
  actors.robots[6].alive = 1;
  actors.robots[6].SetPosition(30, 0, 80.5f);
  EXPECT_FALSE(robotCatchesPlayer(world));
  actors.robots[6].SetPosition(30, 0, 80);
  EXPECT_TRUE(robotCatchesPlayer(world));
}

}  // namespace

}  // namespace cog
