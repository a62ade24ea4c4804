#include <gtest/gtest.h>

#include <limits>

#include "level/level_data.h"
#include "level/model.h"
#include "sim/movement.h"
#include "sim/reset.h"
#include "sim/shot.h"
#include "sim/state.h"
#include "support/mesh_builders.h"
#include "support/test_game.h"

namespace cog {

namespace {

class Shot : public GameTest {
 protected:
  void SetUp() override { resetGame(sim, actors); }
  // One tick of flight as the tick runs it, with the move that UpdateAndDraw
  // makes done by hand (no drawing here).
  void flyOneTick() {
    Actor& shot = actors.shot;
    shotBlocked(world);
    if (shot.inFlight)
      shot.SetPosition(shot.position.x + shot.velocity.x, shot.position.y + shot.velocity.y,
                       shot.position.z + shot.velocity.z);
    shotHits(world);
  }
};

// ------------------------------------------------------------ firing

TEST_F(Shot, FiresFromTheMuzzleAlongTheHeading) {
  fireShot(world);
  const Actor& shot = actors.shot;
  EXPECT_EQ(shot.position, Vec3(0, 0, 74));
  EXPECT_EQ(shot.velocity, Vec3(0, 0, 14));
  EXPECT_EQ(shot.rotation, Vec3(0, 0, 0));
  EXPECT_EQ(shot.inFlight, 1);
  flyOneTick();
  EXPECT_EQ(shot.position, Vec3(0, 0, 88));
  EXPECT_EQ(sim.shotTip, Vec3(0, 0, 88));
}

TEST_F(Shot, HeightIsAlwaysZeroAndRotationFollowsTheHeading) {
  sim.player.position = Vec3(10, 7, 50);
  sim.player.heading = 90;
  fireShot(world);
  const Actor& shot = actors.shot;
  EXPECT_FLOAT_EQ(shot.position.x, 34.0f);
  EXPECT_EQ(shot.position.y, 0.0f);
  EXPECT_NEAR(shot.position.z, 50.0f, 1e-5);
  EXPECT_FLOAT_EQ(shot.velocity.x, 14.0f);
  EXPECT_NEAR(shot.velocity.z, 0.0f, 1e-5);
  EXPECT_EQ(shot.rotation, Vec3(0, 90, 0));
}

TEST_F(Shot, RefusedWhileFlyingOrAfterTheGameEnds) {
  fireShot(world);
  sim.player.position = Vec3(300, 0, 300);
  fireShot(world);
  EXPECT_EQ(actors.shot.position, Vec3(0, 0, 74));

  actors.shot.inFlight = 0;
  sim.gameOver = 1;
  fireShot(world);
  EXPECT_EQ(actors.shot.position, Vec3(0, 0, 74));
  EXPECT_EQ(actors.shot.inFlight, 0);
}

// ------------------------------------------------------------ walls

TEST_F(Shot, WallStopsTheShotWhereItIs) {
  level.rooms.push_back(wallRecord(-50, 80, 50, 80, -50, 50));
  fireShot(world);
  EXPECT_TRUE(shotBlocked(world));
  EXPECT_EQ(sim.shotTip, Vec3(0, 0, 88));
  EXPECT_EQ(actors.shot.inFlight, 0);
  EXPECT_EQ(actors.shot.position, Vec3(0, 0, 74));

  // Firing again starts a fresh shot from the player.
  sim.player.position = Vec3(200, 0, 50);
  fireShot(world);
  EXPECT_EQ(actors.shot.position, Vec3(200, 0, 74));
  EXPECT_EQ(actors.shot.inFlight, 1);
  EXPECT_FALSE(shotBlocked(world));
  EXPECT_EQ(actors.shot.inFlight, 1);
}

// ------------------------------------------------------------ hits

TEST_F(Shot, HitBoxIsStrictTwentyOnBothAxesAndIgnoresHeight) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    Vec3 shot;
    bool hit;
  } cases[] = {
      {{19.9f, 0, 519.9f}, true},   {{-19.9f, 0, 480.1f}, true}, {{20, 0, 500}, false},
      {{0, 0, 480}, false},         {{-20, 0, 500}, false},      {{0, 0, 520}, false},
      {{5, 12345, 505}, true},      {{5, -700, 505}, true},      {{nan, 0, 500}, false},
      {{0, 0, nan}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.shot.x << " " << c.shot.y << " " << c.shot.z);
    Actor robot(1, 3);
    robot.SetPosition(0, 40, 500);
    EXPECT_EQ(HitTest(robot, c.shot.x, c.shot.y, c.shot.z), c.hit);
    EXPECT_EQ(robot.alive, c.hit ? 0 : 1);
  }
}

TEST_F(Shot, FirstRobotInIndexOrderTakesTheHit) {
  actors.robots[2].SetPosition(5, 0, 300);
  actors.robots[3].SetPosition(-5, 0, 300);
  actors.shot.SetPosition(0, 0, 300);
  actors.shot.SetVelocity(0, 0, 14);
  shotHits(world);
  EXPECT_EQ(actors.robots[2].alive, 0);
  EXPECT_EQ(actors.robots[3].alive, 1);
  EXPECT_EQ(actors.shot.position, Vec3(0, -250, 0));
  EXPECT_EQ(actors.shot.velocity, Vec3(0, 0, 0));
  EXPECT_EQ(actors.shot.inFlight, 0);
}

TEST_F(Shot, FlightEndsInARobot) {
  actors.robots[0].SetPosition(0, 0, 130);
  fireShot(world);
  for (int i = 0; i < 10 && actors.shot.inFlight; ++i) flyOneTick();
  EXPECT_EQ(actors.robots[0].alive, 0);
  EXPECT_EQ(actors.shot.position, Vec3(0, -250, 0));
  EXPECT_EQ(actors.shot.inFlight, 0);
}

// A shot that is not flying hits nothing, and a dead robot is not hit
// again: the parked shot does not kill robots passing (0, 0), a wall-stopped
// shot does not kill robots walking into it, and a flying shot passing the
// dead robots' resting place is not swallowed.
TEST_F(Shot, ParkedShotDoesNotKill) {
  actors.robots[0].SetPosition(5, 0, -5);
  ASSERT_EQ(actors.shot.position, Vec3(0, -250, 0));
  ASSERT_EQ(actors.shot.inFlight, 0);
  shotHits(world);
  EXPECT_EQ(actors.robots[0].alive, 1);
}

TEST_F(Shot, WallStoppedShotDoesNotKill) {
  level.rooms.push_back(wallRecord(-50, 80, 50, 80, -50, 50));
  fireShot(world);
  flyOneTick();
  ASSERT_EQ(actors.shot.inFlight, 0);
  actors.robots[1].SetPosition(10, 0, 70);
  flyOneTick();
  EXPECT_EQ(actors.robots[1].alive, 1);
  EXPECT_EQ(actors.shot.position, Vec3(0, 0, 74));
}

TEST_F(Shot, DeadRobotsDoNotSwallowTheShot) {
  Actor& dead = actors.robots[5];
  dead.alive = 0;
  dead.SetPosition(0, -700, 0);
  actors.shot.SetPosition(5, 0, -5);
  actors.shot.SetVelocity(0, 0, 14);
  shotHits(world);
  EXPECT_EQ(actors.shot.inFlight, 1);
  EXPECT_EQ(actors.shot.position, Vec3(5, 0, -5));
  EXPECT_EQ(dead.alive, 0);
  EXPECT_FALSE(HitTest(dead, 0, 0, 0));
}

}  // namespace

}  // namespace cog
