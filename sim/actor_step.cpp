// The actor step: moving by velocity, footsteps, bob and the walk phase.

#include "sim/actor_step.h"

#include <vector>

#include "audio/sound.h"

namespace cog {

namespace {

Vec3 add(const Vec3& a, const Vec3& b) { return Vec3(a.x + b.x, a.y + b.y, a.z + b.z); }

}  // namespace

void RewindKeys(ModelPart& root) {
  std::vector<ModelPart*> stack;
  stack.push_back(&root);
  while (!stack.empty()) {
    ModelPart* part = stack.back();
    stack.pop_back();
    part->currentKey = 0;
    if (part->sibling) stack.push_back(part->sibling.get());
    if (part->child) stack.push_back(part->child.get());
  }
}

void AdvancePhase(Actor& actor) {
  if (actor.walkPhase < 1.0f) actor.walkPhase = actor.walkPhase + kPhaseStep;
  if (actor.walkPhase >= 1.0f) {
    actor.walkPhase = 0.0f;
    if (actor.model) RewindKeys(*actor.model);
  }
}

bool actorStep(World& world, Actor& actor, bool advance) {
  if (world.sim.gameOver == 1) return false;
  if (actor.alive == 0) {
    actor.SetPosition(kDeadPlace.x, kDeadPlace.y, kDeadPlace.z);
    return false;
  }
  Vec3& position = actor.position;
  if (advance) position = add(position, actor.velocity);
  world.audio.placeSoundSource(position.x, position.z);
  const double phase = actor.walkPhase;
  if (advance && actor.walks == 1) {
    // Footsteps at two points of the cycle. The windows rely on the phase's
    // float accumulation: it passes 0.45000005 and 0.95000017, never 0.45
    // or 0.95 exactly.
    if (phase > 0.95 && actor.walkPhase < 1.0f) world.audio.playEffect(world.audio.gunSegment);
    if (phase > 0.45 && phase < 0.5) world.audio.playEffect(world.audio.gunSegment);
    // Bob: down, up, down, up over the four quarters of the cycle.
    if (phase < 0.25)
      position = add(position, Vec3(0.0f, -kBob, 0.0f));
    else if (phase < 0.5)
      position = add(position, Vec3(0.0f, kBob, 0.0f));
    else if (phase < 0.75)
      position = add(position, Vec3(0.0f, -kBob, 0.0f));
    else
      position = add(position, Vec3(0.0f, kBob, 0.0f));
  }
  return true;
}

}  // namespace cog
