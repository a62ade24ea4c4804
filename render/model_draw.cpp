// Drawing and animating the actors' articulated models: each part turns
// about its joint by angles interpolated between its keys at the owner's
// walk phase, the root is placed by the actor's rotation and position, and
// every child is drawn in its parent's frame.

#include <vector>

#include "audio/sound.h"
#include "level/model.h"
#include "render/device.h"
#include "sim/state.h"
#include "sim/vec.h"

namespace {

constexpr float kPhaseStep = 0.05f;
constexpr float kBob = 0.4f;
constexpr Vec3 kDeadPlace{0.0f, -700.0f, 0.0f};

float component(const Vec3& v, int i) { return i == 0 ? v.x : (i == 1 ? v.y : v.z); }

Vec3 add(const Vec3& a, const Vec3& b) { return Vec3(a.x + b.x, a.y + b.y, a.z + b.z); }

// The part's own matrix, before the parent's frame: its key pose about its
// pivot and, for the root level, the actor's rotation about its centre and
// its position. Moves the current key on by at most one.
Matrix4 partMatrix(ModelPart& part, bool isChild) {
  const Actor& owner = *part.owner;
  const float k = kDegToRad;
  const Vec3& pivot = part.pivot;
  Matrix4 m = Matrix4::identity();
  m = matrixMultiply(m, matrixTranslation(-pivot.x, -pivot.y, -pivot.z));
  if (part.hasNextKey() && owner.walkPhase >= part.keys[part.currentKey + 1].time) ++part.currentKey;
  if (part.hasNextKey()) {
    m = matrixMultiply(m, matrixRotationX(KeyAngle(part, 0) * k));
    m = matrixMultiply(m, matrixRotationY(KeyAngle(part, 1) * k));
    m = matrixMultiply(m, matrixRotationZ(KeyAngle(part, 2) * k));
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

// A part whose child subtree is being drawn, with the world transform to
// put back when it is done.
struct PendingPart {
  ModelPart* part;
  Matrix4 saved;
  bool isChild;
};

// Kept between draws so that drawing allocates nothing once warmed up.
std::vector<PendingPart> drawStack;
bool drawStackBusy = false;
std::vector<ModelPart*> rewindStack;

}  // namespace

float KeyAngle(const ModelPart& part, int i) {
  if (part.currentKey >= part.keys.size()) return 0.0f;
  const Keyframe& key = part.keys[part.currentKey];
  if (!part.hasNextKey()) return component(key.angles, i);
  const Keyframe& next = part.keys[part.currentKey + 1];
  const float t = part.owner->walkPhase;
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
void ModelPart::DrawPart(bool isChild) {
  std::vector<PendingPart> localStack;
  std::vector<PendingPart>& stack = drawStackBusy ? localStack : drawStack;
  const bool ownsShared = !drawStackBusy;
  drawStackBusy = true;
  const size_t base = stack.size();

  ModelPart* part = this;
  for (;;) {
    // Enter `part`.
    Matrix4 saved = device->GetTransform(D3DTS_WORLD);
    const Matrix4 m = matrixMultiply(partMatrix(*part, isChild), saved);
    device->SetTransform(D3DTS_WORLD, m);
    part->mesh.draw(0, 0, 0);
    if (part->child) {
      stack.push_back(PendingPart{part, saved, isChild});
      part = part->child.get();
      isChild = true;
      continue;
    }
    // Leave `part`, and every ancestor whose subtree is now done, until one
    // has a sibling to enter.
    for (;;) {
      device->SetTransform(D3DTS_WORLD, saved);
      if (part->sibling) {
        part = part->sibling.get();
        break;
      }
      if (stack.size() == base) {
        if (ownsShared) drawStackBusy = false;
        return;
      }
      const PendingPart& up = stack.back();
      part = up.part;
      saved = up.saved;
      isChild = up.isChild;
      stack.pop_back();
    }
  }
}

void ModelPart::RewindKeys() {
  std::vector<ModelPart*> localStack;
  std::vector<ModelPart*>& stack = rewindStack.empty() ? rewindStack : localStack;
  const size_t base = stack.size();
  stack.push_back(this);
  while (stack.size() > base) {
    ModelPart* part = stack.back();
    stack.pop_back();
    part->currentKey = 0;
    if (part->sibling) stack.push_back(part->sibling.get());
    if (part->child) stack.push_back(part->child.get());
  }
}

void Actor::AdvancePhase() {
  if (walkPhase < 1.0f) walkPhase = walkPhase + kPhaseStep;
  if (walkPhase >= 1.0f) {
    walkPhase = 0.0f;
    if (model) model->RewindKeys();
  }
}

void Actor::UpdateAndDraw(bool advance) {
  if (sim.gameOver == 1) return;
  if (alive == 0) {
    SetPosition(kDeadPlace.x, kDeadPlace.y, kDeadPlace.z);
    return;
  }
  if (advance) position = add(position, velocity);
  placeSoundSource(position.x, position.z);
  const double phase = walkPhase;
  if (advance && walks == 1) {
    // Footsteps at two points of the cycle. The windows rely on the phase's
    // float accumulation: it passes 0.45000005 and 0.95000017, never 0.45
    // or 0.95 exactly.
    if (phase > 0.95 && walkPhase < 1.0f) playEffect(audio.gunSegment);
    if (phase > 0.45 && phase < 0.5) playEffect(audio.gunSegment);
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
  if (model) model->DrawPart(false);
  if (advance) AdvancePhase();
}
