#pragma once
// Drawing the actors' articulated models. Drawing moves each part's current
// key on to the owner's walk phase; the actor step (sim/actor_step.h) moves
// the actor and advances the phase around it.

#include "base/matrix.h"
#include "level/model.h"
#include "render/scene.h"

namespace cog {

// Interpolated key angle i (0 x, 1 y, 2 z) in degrees at walk phase
// `phase` (the owning actor's).
float KeyAngle(const ModelPart& part, int i, float phase);

// The part's own matrix, before the parent's frame: its key pose about its
// pivot and, for the root level (`isChild` false), the actor's rotation
// about its centre and its position. Moves the current key on by at most
// one.
Matrix4 partMatrix(const Actor& owner, ModelPart& part, bool isChild);

// Draws the part, its children in its frame and its siblings in the
// parent's frame, each with partMatrix times the world transform it found;
// the world transform is put back afterwards.
void DrawPart(Scene& scene, const Actor& owner, ModelPart& root, bool isChild);

// Draws the actor's model, if it has one, from its root.
void drawActor(Scene& scene, const Actor& actor);

}  // namespace cog
