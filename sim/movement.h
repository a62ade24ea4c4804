#pragma once
// The player's walking and turning, the game reset, and isPathBlocked: the
// one query that decides for the player, the robots and the shot whether a
// proposed straight move runs into a wall, a prop or (for robots 1..6) a
// fellow robot. A blocked move simply does not happen.

#include "base/vec3.h"
#include "sim/world.h"

namespace cog {

constexpr float kProbeDistance = 10.0f;  // length of the tested step
constexpr float kStepForward = 8.0f;     // forward / backward move when clear
constexpr float kStepSide = 6.0f;        // sideways move when clear
constexpr float kTurnStep = 3.0f;        // degrees per turn command
constexpr float kProbeHeight = -80.0f;   // y of every player and robot segment
constexpr float kXLimit = -95.0f;        // a running game puts a player beyond it ...
constexpr float kXLimitSnap = -90.0f;    // ... back here
constexpr double kRobotSpacing = 60.0;   // robots closer than this on both axes block

// Is the move to ground point (x, z) blocked? `mover` says who asks:
//   -1  the shot (kMoverShot): tests sim.shotTip -> (x, shotTip.y, z);
//    0  the player (kMoverPlayer), and robot 0;
//  1..6 robots 1..6 (also checks robot spacing and two root meshes);
// for any index but -1 the segment runs from the player's ground position
// to (x, z), both at height kProbeHeight. y is ignored. While the game runs
// a non-shot query finding the player at x < kXLimit moves the player to
// x = kXLimitSnap and answers blocked.
bool isPathBlocked(World& world, int mover, float x, float y, float z);

// Player moves: refresh the listener, stop if the game is
// over, probe kProbeDistance ahead, move if clear, refresh the listener.
void walkForward(World& world);
void walkBackward(World& world);
void strafeRight(World& world);
void strafeLeft(World& world);
// Heading +/- kTurnStep, then a listener refresh; nothing once the game is
// over.
void turnRight(World& world);
void turnLeft(World& world);


}  // namespace cog
