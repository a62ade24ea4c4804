#pragma once
// The actor step: what a robot or the shot does each time its pass reaches
// it, around its drawing. The actor passes run, per actor:
//
//   if (actorStep(world, actor, advance)) {  // move, footsteps, bob
//     drawActor(device, actor);              // render/model_draw.h
//     if (advance) AdvancePhase(actor);
//   }
//
// Drawing moves the parts' current keys on at the phase before it advances,
// and AdvancePhase rewinds them when the cycle ends: keep that order.

#include "level/model.h"
#include "sim/world.h"

namespace cog {

constexpr float kPhaseStep = 0.05f;                // walk phase added per advancing step
constexpr float kBob = 0.4f;                        // height a walker bobs per step
constexpr Vec3 kDeadPlace{0.0f, -700.0f, 0.0f};     // where a dead actor is put

// Nothing while the game is over (false). A dead actor is put at kDeadPlace
// (false). Otherwise, with `advance`: moves by its velocity; then places the
// sound source at it; with `advance` a walker plays its footsteps at two
// points of the cycle and bobs. True: the actor is drawn now.
bool actorStep(World& world, Actor& actor, bool advance);

// Walk phase + kPhaseStep below 1; at 1 or beyond back to 0 with every
// part's key rewound.
void AdvancePhase(Actor& actor);

// Every part of the tree back to its first key.
void RewindKeys(ModelPart& root);

}  // namespace cog
