#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "audio/rec/silent_engine.h"
#include "audio/sound.h"
#include "level/level_data.h"
#include "level/model.h"
#include "sim/movement.h"
#include "sim/reset.h"
#include "sim/state.h"
#include "support/mesh_builders.h"
#include "support/test_game.h"

namespace cog {

namespace {

class Movement : public GameTest {
 protected:
  void SetUp() override { audio.engine = &engine; }
  // An upright wall across +z at `z`, wide and tall around the probe height.
  void wallAt(float z, float y0 = -200, float y1 = 100) {
    level.rooms.push_back(wallRecord(-50, z, 50, z, y0, y1));
  }
  // How often the movement code has moved the sound listener.
  long listenerMoves() const {
    return std::count_if(engine.calls().begin(), engine.calls().end(),
                         [](const AudioCall& c) { return c.op == AudioOp::SetListenerPosition; });
  }
};

// ------------------------------------------------------------ walking

TEST_F(Movement, WalkForwardProbesTenAtHeightMinus80AndStepsEight) {
  // A wall exactly at the probe's end (z = 60) blocks: t = 1 counts.
  wallAt(60);
  walkForward(world);
  EXPECT_EQ(sim.player.position, Vec3(0, 0, 50));
  // Just beyond the probe: clear, and the player moves 8.
  level.clear();
  wallAt(60.01f);
  walkForward(world);
  EXPECT_EQ(sim.player.position, Vec3(0, 0, 58));
}

TEST_F(Movement, ProbeRunsAtHeightMinus80) {
  wallAt(55, -70, 100);  // starts above the probe line
  walkForward(world);
  EXPECT_EQ(sim.player.position, Vec3(0, 0, 58));
  level.clear();
  sim.player.position = Vec3(0, 0, 50);
  wallAt(55, -90, -75);  // a low wall across the probe line
  walkForward(world);
  EXPECT_EQ(sim.player.position, Vec3(0, 0, 50));
}

TEST_F(Movement, ObstacleNineAheadBlocksAndTheListenerIsRefreshedOnce) {
  wallAt(59);
  walkForward(world);
  EXPECT_EQ(sim.player.position, Vec3(0, 0, 50));
  EXPECT_EQ(listenerMoves(), 1);
  level.clear();
  walkForward(world);
  EXPECT_EQ(listenerMoves(), 3);  // before the probe and after the step
}

TEST_F(Movement, BackwardAndSideSteps) {
  walkBackward(world);
  EXPECT_EQ(sim.player.position, Vec3(0, 0, 42));
  strafeRight(world);
  EXPECT_EQ(sim.player.position, Vec3(6, 0, 42));
  strafeLeft(world);
  strafeLeft(world);
  EXPECT_EQ(sim.player.position, Vec3(-6, 0, 42));
  // Backing into a wall behind the player.
  wallAt(35);
  walkBackward(world);
  EXPECT_EQ(sim.player.position, Vec3(-6, 0, 42));
}

TEST_F(Movement, TurningIsNeverWrapped) {
  for (int i = 0; i < 121; ++i) turnRight(world);
  EXPECT_EQ(sim.player.heading, 363.0f);
  EXPECT_EQ(listenerMoves(), 121);
  sim.player.heading = 0;
  for (int i = 0; i < 200; ++i) turnLeft(world);
  EXPECT_EQ(sim.player.heading, -600.0f);
}

TEST_F(Movement, GameOverStopsWalkingAndTurning) {
  sim.gameOver = 1;
  walkForward(world);
  EXPECT_EQ(sim.player.position, Vec3(0, 0, 50));
  EXPECT_EQ(listenerMoves(), 1);
  turnLeft(world);
  turnRight(world);
  EXPECT_EQ(sim.player.heading, 0.0f);
  EXPECT_EQ(listenerMoves(), 1);
}

// ------------------------------------------------------------ the query

TEST_F(Movement, XLimitSnapsForPlayerAndRobotQueriesOnly) {
  sim.player.position = Vec3(-99, 0, 50);
  EXPECT_TRUE(isPathBlocked(world, 0, 0, 0, 0));
  EXPECT_EQ(sim.player.position.x, -90.0f);

  sim.player.position.x = -99;
  EXPECT_TRUE(isPathBlocked(world, 5, 1000, 0, 1000));
  EXPECT_EQ(sim.player.position.x, -90.0f);

  sim.player.position.x = -99;
  EXPECT_FALSE(isPathBlocked(world, -1, 0, 0, 0));
  EXPECT_EQ(sim.player.position.x, -99.0f);

  // Exactly -95 is not beyond the limit; an ended game lifts it.
  sim.player.position.x = -95;
  EXPECT_FALSE(isPathBlocked(world, 0, 0, 0, 0));
  sim.player.position.x = -1900;
  sim.gameOver = 1;
  EXPECT_FALSE(isPathBlocked(world, 0, 0, 0, 0));
  EXPECT_EQ(sim.player.position.x, -1900.0f);
}

TEST_F(Movement, RobotQueriesTestTheLineFromThePlayer) {
  // A wall between the player and the robot's target blocks the robot
  // although the robot itself stands nowhere near it.
  wallAt(200);
  EXPECT_TRUE(isPathBlocked(world, 3, 0, 0, 400));
  EXPECT_FALSE(isPathBlocked(world, 3, 0, 0, 150));
  EXPECT_FALSE(isPathBlocked(world, 3, 300, 0, 400));
}

TEST_F(Movement, MarkersSkippedPropsBlock) {
  level.rooms.push_back(wallRecord(-50, 55, 50, 55, -200, 100, {.marker = true}));
  level.props.push_back(wallRecord(-50, 55, 50, 55, -200, 100, {.marker = true}));
  EXPECT_FALSE(isPathBlocked(world, 0, 0, 0, 60));
  level.props.push_back(wallRecord(-50, 57, 50, 57, -200, 100));
  EXPECT_TRUE(isPathBlocked(world, 0, 0, 0, 60));
}

TEST_F(Movement, ShotQueryRunsFromTheTipAtItsHeight) {
  sim.shotTip = Vec3(0, 0, 88);
  level.rooms.push_back(wallRecord(-50, 80, 50, 80, -50, 50));
  EXPECT_TRUE(isPathBlocked(world, -1, 0, -1234, 74));  // y is ignored: the tip's height
  level.clear();
  level.rooms.push_back(wallRecord(-50, 80, 50, 80, -100, -60));  // only at the probe height
  EXPECT_FALSE(isPathBlocked(world, -1, 0, 0, 74));
  // A shot that is not moving tests a zero-length segment: never blocked,
  // even lying in a wall's plane.
  level.clear();
  level.rooms.push_back(wallRecord(-50, 80, 50, 80, -50, 50));
  sim.shotTip = Vec3(0, 0, 80);
  EXPECT_FALSE(isPathBlocked(world, -1, 0, 0, 80));
}

// ------------------------------------------------------------ robot spacing

class Spacing : public Movement {
 protected:
  void SetUp() override {
    Movement::SetUp();
    // Everyone far apart, the player in open ground.
    for (int i = 0; i < kRobotCount; ++i) actors.robots[i].SetPosition(1000.0f * i, 0, 3000);
    sim.separationEnabled = 1;
  }
  bool asks(int k) {
    const Vec3& p = actors.robots[k].position;
    return isPathBlocked(world, k, p.x, p.y, p.z);
  }
};

TEST_F(Spacing, Robot3NearRobot0IsBlockedButNotTheOtherWayRound) {
  actors.robots[0].SetPosition(0, 0, 400);
  actors.robots[3].SetPosition(59, 0, 459);
  EXPECT_TRUE(asks(3));
  EXPECT_FALSE(asks(0));
  actors.robots[3].SetPosition(60, 0, 459);  // strict on x
  EXPECT_FALSE(asks(3));
  actors.robots[3].SetPosition(0, 0, 340);  // strict on z
  EXPECT_FALSE(asks(3));
  // Dead or alive makes no difference.
  actors.robots[0].alive = 0;
  actors.robots[3].SetPosition(-59, 0, 341);
  EXPECT_TRUE(asks(3));
}

TEST_F(Spacing, FollowsTheTable) {
  // Put every robot on one spot and see who may move.
  for (Actor& r : actors.robots) r.SetPosition(500, 0, 500);
  EXPECT_FALSE(asks(0));
  EXPECT_TRUE(asks(1));
  EXPECT_FALSE(asks(2));  // robot 2 keeps no distance from anyone
  for (int k = 3; k <= 6; ++k) EXPECT_TRUE(asks(k)) << k;

  // Pairs outside the table do not block: each robot near one other only.
  struct Pair {
    int asking, other;
    bool blocked;
  } pairs[] = {
      {1, 0, false}, {1, 2, true},  {1, 3, false}, {3, 4, true},  {3, 6, true},  {4, 3, false},
      {4, 5, true},  {5, 4, false}, {5, 6, true},  {6, 3, false}, {6, 5, false}, {6, 0, true},
      {2, 1, false}, {2, 0, false},
  };
  for (const Pair& p : pairs) {
    SCOPED_TRACE(testing::Message() << "robot " << p.asking << " near robot " << p.other);
    for (int i = 0; i < kRobotCount; ++i) actors.robots[i].SetPosition(1000.0f * i, 0, 3000);
    actors.robots[p.other].SetPosition(actors.robots[p.asking].position.x + 10, 0, 3010);
    EXPECT_EQ(asks(p.asking), p.blocked);
  }
}

TEST_F(Spacing, NothingBeforeTheFirstTick) {
  for (Actor& r : actors.robots) r.SetPosition(500, 0, 500);
  sim.separationEnabled = 0;
  for (int k = 0; k < kRobotCount; ++k) EXPECT_FALSE(asks(k)) << k;
}

TEST_F(Spacing, RootMeshesInTheModelsOwnCoordinates) {
  // Robot 0's root mesh: a wall across the player's line at z = 100, in
  // model coordinates. Robot 0 itself stands far away: no transformation.
  Actor& r0 = actors.robots[0];
  r0.model = std::make_unique<ModelPart>();
  r0.model->mesh = wallRecord(-50, 100, 50, 100, -200, 100);
  r0.SetPosition(-5000, 0, -5000);

  EXPECT_TRUE(isPathBlocked(world, 1, 0, 0, 200));  // tests robot 0's and robot 1's meshes
  EXPECT_FALSE(isPathBlocked(world, 1, 0, 0, 90));
  EXPECT_TRUE(isPathBlocked(world, 2, 0, 0, 200));  // robot 0's and robot 2's
  for (int k : {0, 3, 4, 5, 6, -1}) {
    sim.shotTip = Vec3(0, -80, 50);
    EXPECT_FALSE(isPathBlocked(world, k, 0, 0, 200)) << k;
  }
  // Robot 2's mesh is tested by robots 2..6.
  Actor& r2 = actors.robots[2];
  r2.model = std::make_unique<ModelPart>();
  r2.model->mesh = wallRecord(-50, 100, 50, 100, -200, 100);
  for (int k = 2; k <= 6; ++k) {
    EXPECT_TRUE(isPathBlocked(world, k, 0, 0, 200)) << k;
  }
  r0.model.reset();
  EXPECT_FALSE(isPathBlocked(world, 1, 0, 0, 200));
  // Not before the first tick either.
  sim.separationEnabled = 0;
  EXPECT_FALSE(isPathBlocked(world, 3, 0, 0, 200));
}

// ------------------------------------------------------------ reset

TEST_F(Movement, ResetGame) {
  for (Actor& r : actors.robots) {
    r.alive = 0;
    r.walkPhase = 0.3f;
    r.SetRotation(0, 77, 0);
  }
  actors.shot.SetVelocity(1, 2, 3);
  actors.shot.SetPosition(5, 6, 7);
  actors.shot.walkPhase = 0.25f;
  sim.gameOver = 1;
  sim.separationEnabled = 1;
  sim.player.position = Vec3(-1900, 3, 9900);
  sim.player.heading = 45;

  resetGame(sim, actors);

  const Vec3 starts[kRobotCount] = {{0, 0, 400},    {800, 0, 600},   {800, 0, 700},  {900, 0, 1400},
                                    {1000, 0, 1400}, {1100, 0, 1300}, {1200, 0, 1300}};
  for (int i = 0; i < kRobotCount; ++i) {
    const Actor& r = actors.robots[i];
    EXPECT_EQ(r.position, starts[i]) << i;
    EXPECT_EQ(r.alive, 1) << i;
    EXPECT_EQ(r.walkPhase, 1.0f) << i;
    EXPECT_EQ(r.rotation, Vec3(0, 77, 0)) << i;  // left as it was
  }
  EXPECT_EQ(actors.shot.position, Vec3(0, -250, 0));
  EXPECT_EQ(actors.shot.rotationCentre, Vec3(0, -10, 0));
  EXPECT_EQ(actors.shot.velocity, Vec3(0, 0, 0));
  EXPECT_EQ(actors.shot.inFlight, 0);
  EXPECT_EQ(actors.shot.walkPhase, 0.25f);
  EXPECT_EQ(sim.gameOver, 0);
  EXPECT_EQ(sim.separationEnabled, 1);
  EXPECT_EQ(sim.player.position, Vec3(0, 0, 50));
  EXPECT_EQ(sim.player.heading, 0.0f);
}

}  // namespace

}  // namespace cog
