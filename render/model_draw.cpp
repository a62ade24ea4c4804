// Drawing the actors' articulated models: each part turns
// about its joint by angles interpolated between its keys at the owner's
// walk phase, the root is placed by the actor's rotation and position, and
// every child is drawn in its parent's frame.

#include "render/model_draw.h"

#include <vector>

#include "base/vec.h"
#include "seams/render_device.h"
#include "render/record_draw.h"

namespace cog {

namespace {

float component(const Vec3& v, int i) { return i == 0 ? v.x : (i == 1 ? v.y : v.z); }

}  // namespace

Matrix4 partMatrix(const Actor& owner, ModelPart& part, bool isChild) {
  const float k = kDegToRad;
  const Vec3& pivot = part.pivot;
  Matrix4 m = Matrix4::identity();
  m = matrixMultiply(m, matrixTranslation(-pivot.x, -pivot.y, -pivot.z));
  if (part.hasNextKey() && owner.walkPhase >= part.keys[part.currentKey + 1].time) ++part.currentKey;
  if (part.hasNextKey()) {
    m = matrixMultiply(m, matrixRotationX(KeyAngle(part, 0, owner.walkPhase) * k));
    m = matrixMultiply(m, matrixRotationY(KeyAngle(part, 1, owner.walkPhase) * k));
    m = matrixMultiply(m, matrixRotationZ(KeyAngle(part, 2, owner.walkPhase) * k));
  }
  m = matrixMultiply(m, matrixTranslation(pivot.x, pivot.y, pivot.z));
  if (!isChild) {
    const Vec3& q = owner.rotationCentre;
    const Vec3& r = owner.rotation;
    m = matrixMultiply(m, matrixTranslation(-q.x, -q.y, -q.z));
    m = matrixMultiply(m, matrixRotationX(r.x * k));
    m = matrixMultiply(m, matrixRotationY(r.y * k));
    m = matrixMultiply(m, matrixRotationZ(r.z * k));
    m = matrixMultiply(m, matrixTranslation(q.x, q.y, q.z));
    m = matrixMultiply(m, matrixTranslation(owner.position.x, owner.position.y, owner.position.z));
  }
  return m;
}

namespace {

// A part whose child subtree is being drawn, with the world transform to
// put back when it is done.
struct PendingPart {
  ModelPart* part;
  Matrix4 saved;
  bool isChild;
};

}  // namespace

float KeyAngle(const ModelPart& part, int i, float phase) {
  if (part.currentKey >= part.keys.size()) return 0.0f;
  const Keyframe& key = part.keys[part.currentKey];
  if (!part.hasNextKey()) return component(key.angles, i);
  const Keyframe& next = part.keys[part.currentKey + 1];
  const float t = phase;
  const float d1 = t - key.time;
  const float d2 = next.time - t;
  const float s = d1 + d2;
  // Two keys at the same time leave no span to interpolate over: hold the
  // current key's angle rather than divide by zero.
  if (s == 0.0f) return component(key.angles, i);
  return (d2 / s) * component(key.angles, i) + (d1 / s) * component(next.angles, i);
}

// Iterative form of: Saved := world; M := own matrix * Saved; set M; draw;
// child.DrawPart(true); set Saved; sibling.DrawPart(isChild). A tree may be
// far deeper than the call stack would allow.
void DrawPart(Scene& scene, const Actor& owner, ModelPart& root, bool isChild) {
  RenderDevice& device = scene.device;
  std::vector<PendingPart> stack;
  stack.reserve(16);  // deeper than the game's models: one allocation a draw

  ModelPart* part = &root;
  for (;;) {
    // Enter `part`.
    Matrix4 saved = device.GetTransform(TransformKind::World);
    const Matrix4 m = matrixMultiply(partMatrix(owner, *part, isChild), saved);
    device.SetTransform(TransformKind::World, m);
    draw(scene, part->mesh, 0, DrawMode::Normal);
    if (part->child) {
      stack.push_back(PendingPart{part, saved, isChild});
      part = part->child.get();
      isChild = true;
      continue;
    }
    // Leave `part`, and every ancestor whose subtree is now done, until one
    // has a sibling to enter.
    for (;;) {
      device.SetTransform(TransformKind::World, saved);
      if (part->sibling) {
        part = part->sibling.get();
        break;
      }
      if (stack.empty()) return;
      const PendingPart& up = stack.back();
      part = up.part;
      saved = up.saved;
      isChild = up.isChild;
      stack.pop_back();
    }
  }
}

void drawActor(Scene& scene, const Actor& actor) {
  if (actor.model) DrawPart(scene, actor, *actor.model, false);
}

}  // namespace cog
