#pragma once
// Robot behaviour: each tick a robot turns to face the player and, if the
// lines from the player to its centre and to its two side points are clear,
// steps kRobotStep towards the player.

#include "base/vec3.h"
#include "level/model.h"
#include "sim/world.h"

namespace cog {

constexpr float kRobotStep = 10.0f;      // distance a robot moves per tick when not blocked
constexpr float kRobotSideProbe = 20.0f; // distance to either side at which its step is tested

// The robot's step along its heading (rotation.y): asking as the robot
// (its index), the path test at its own position, then at the two
// points kRobotSideProbe to either side; if all three are clear it moves
// kRobotStep, z first, then x. True when it moved.
bool WalkStep(World& world, Actor& robot);

// The turn-and-step part of a robot's tick (the tick skips it while the
// robots are frozen): face the player with headingDegrees, SetRotation(0,
// yaw, 0), then WalkStep. Dead robots and robots of an ended game turn and
// step too; the tick's UpdateAndDraw afterwards deals with them.
void robotTurnAndStep(World& world, Actor& robot);

// True when a live robot stands within reach (30 on both ground axes) of
// the player; plays the death sound once in that case. Robots are tried in
// index order and the first one in reach ends the search.
bool robotCatchesPlayer(World& world);

}  // namespace cog
