#pragma once
// The player's one shot: firing, the per-tick wall test of its flight and
// the hit test against the robots.
//
// The tick runs the flight and the hits after the robots have moved:
//
//   shotBlocked(world);                 // a wall stops it: inFlight := 0
//   if (shot.inFlight) UpdateAndDraw(game, shot, true);  // moves it
//   shotHits(world);

#include "base/vec3.h"
#include "sim/world.h"

namespace cog {

constexpr float kShotMuzzle = 24.0f;     // distance ahead of the player at which a shot starts
constexpr float kShotSpeed = 14.0f;      // distance moved per tick
constexpr double kHitHalfWidth = 20.0;   // half-width of the square hit box around a robot
constexpr Vec3 kShotPark{0.0f, -250.0f, 0.0f};  // where a shot rests after a hit and at the start

// The fire command: ignored while the game is over or the shot is in
// flight; otherwise puts the shot kShotMuzzle ahead of the player at height
// 0, turned to the player's heading, flying at kShotSpeed along it.
void fireShot(World& world);

// The wall test of one tick of flight: shotTip := position + velocity,
// then isPathBlocked asking as the shot at the shot's position, i.e. the
// segment from where the shot will be back to where it is. When blocked the
// shot stops where it is (inFlight := 0; not moved, not parked) and the
// result is true.
bool shotBlocked(World& world);

// Is (x, z) strictly inside the square of half-width kHitHalfWidth around
// the live robot? A hit kills it (alive := 0). y is ignored.
bool HitTest(Actor& robot, float x, float y, float z);

// The hit tests of one tick: robots 0..6 in order are tested with
// HitTest at the shot's position; a hit parks the shot at kShotPark with
// zero velocity and not in flight. Only a shot in flight hits, and only live
// robots can be hit: a parked or wall-stopped shot, and the dead robots'
// resting place, take no part.
void shotHits(World& world);

}  // namespace cog
