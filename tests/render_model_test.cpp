// Actor update and model drawing: the walk phase and its float rounding,
// footsteps and bob, the world matrices of parts, key stepping, and deep
// trees drawn without recursion.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "game/actor_pass.h"
#include "audio/sound.h"
#include "base/vec.h"
#include "level/level_data.h"
#include "level/model.h"
#include "render/draw_flags.h"
#include "render/model_draw.h"
#include "render/rec/recording_device.h"
#include "render/record_draw.h"
#include "sim/actor_step.h"
#include "sim/state.h"
#include "support/recording_checks.h"
#include "support/test_game.h"

namespace cog {

namespace ec = expect_call;

namespace {

// Records where the 3D source goes and which effects start.
class FakeAudio : public AudioEngine {
 public:
  std::vector<Vec3> sourcePositions;
  std::vector<SegmentId> played;

  SegmentId LoadSegment(const std::string&, std::string&) override { return 1; }
  void SetRepeats(SegmentId, uint32_t) override {}
  void SetStartPoint(SegmentId, MusicTime) override {}
  SegmentStateId PlaySegment(SegmentId segment, bool) override {
    played.push_back(segment);
    return 1;
  }
  void Stop() override {}
  MusicTime GetTime() override { return 0; }
  MusicTime GetStartTime(SegmentStateId) override { return 0; }
  MusicTime GetStartPoint(SegmentStateId) override { return 0; }
  void GetLoopPoints(SegmentId, MusicTime& start, MusicTime& end) override { start = end = 0; }
  MusicTime GetLength(SegmentId) override { return 0; }
  uint32_t GetRepeats(SegmentId) override { return 0; }
  void SetSourcePosition(float x, float y, float z, bool) override { sourcePositions.emplace_back(x, y, z); }
  void SetListenerPosition(float, float, float, bool) override {}
  void SetListenerOrientation(const Vec3&, const Vec3&, bool) override {}
};

constexpr SegmentId kGun = 42;

Keyframe key(float time, float x, float y, float z) {
  Keyframe k;
  k.time = time;
  k.angles = Vec3(x, y, z);
  return k;
}

Vec3 transformPoint(const Vec3& p, const Matrix4& m) {
  const float in[4] = {p.x, p.y, p.z, 1.0f};
  float out[4];
  for (int j = 0; j < 4; ++j) out[j] = in[0] * m.m[0][j] + in[1] * m.m[1][j] + in[2] * m.m[2][j] + in[3] * m.m[3][j];
  return Vec3(out[0], out[1], out[2]);
}

void expectNear(const Vec3& a, const Vec3& b, float tol = 1e-4f) {
  EXPECT_NEAR(a.x, b.x, tol);
  EXPECT_NEAR(a.y, b.y, tol);
  EXPECT_NEAR(a.z, b.z, tol);
}

// The fake engine outlives the game, which stops it when it shuts down.
struct FakeAudioHolder {
  FakeAudio sound;
};

class ModelDrawTest : public FakeAudioHolder, public GameTest {
 protected:
  void SetUp() override {
    dev.setKeep(RecordingDevice::Keep::Everything);
    audio.engine = &sound;
    audio.gunSegment = kGun;
  }

  // A robot (walks) with a one-part model of a single key.
  static std::unique_ptr<Actor> robot() {
    auto a = std::make_unique<Actor>(1, 0);
    a->model = std::make_unique<ModelPart>();
    a->model->keys = {key(1.0f, 0, 0, 0)};
    return a;
  }
};

}  // namespace

TEST_F(ModelDrawTest, WalkPhaseAccumulatesInFloatAndWraps) {
  auto a = robot();
  for (int i = 0; i < 9; ++i) AdvancePhase(*a);
  EXPECT_EQ(a->walkPhase, 0.45000005f);
  for (int i = 0; i < 10; ++i) AdvancePhase(*a);
  EXPECT_EQ(a->walkPhase, 0.95000017f);
  AdvancePhase(*a);  // reaches 1.0000001 and wraps
  EXPECT_EQ(a->walkPhase, 0.0f);
}

TEST_F(ModelDrawTest, FootstepsOnTheTenthAndTwentiethUpdateAndTheBob) {
  auto a = robot();
  a->SetPosition(10.0f, 0.0f, 20.0f);
  float expectedY = 0.0f;
  for (int update = 1; update <= 40; ++update) {
    sound.played.clear();
    const int inCycle = (update - 1) % 20 + 1;
    UpdateAndDraw(game, *a, true);
    const bool footstep = inCycle == 10 || inCycle == 20;
    EXPECT_EQ(sound.played, footstep ? std::vector<SegmentId>{kGun} : std::vector<SegmentId>{})
        << "update " << update;
    const float bob = (inCycle <= 5 || (inCycle >= 11 && inCycle <= 15)) ? -0.4f : 0.4f;
    expectedY = expectedY + bob;
    EXPECT_EQ(a->position.y, expectedY) << "update " << update;
    EXPECT_EQ(a->position.x, 10.0f);
    EXPECT_EQ(a->position.z, 20.0f);
  }
  EXPECT_EQ(audio.startedEffects.size(), 4u);
  // The robot sank and rose by 2 twice per cycle: back near its start.
  EXPECT_NEAR(a->position.y, 0.0f, 1e-5f);
}

TEST_F(ModelDrawTest, VelocityMovesBeforeTheSoundSourceIsPlaced) {
  auto a = robot();
  a->walks = 0;
  a->SetPosition(100.0f, 0.0f, 200.0f);
  a->SetVelocity(10.0f, 0.0f, -50.0f);
  UpdateAndDraw(game, *a, true);
  EXPECT_EQ(a->position, Vec3(110.0f, 0.0f, 150.0f));
  ASSERT_EQ(sound.sourcePositions.size(), 1u);
  EXPECT_EQ(sound.sourcePositions[0], Vec3(1.1f, 0.0f, 1.5f));
  EXPECT_EQ(a->walkPhase, 0.05f);

  // The reflected pass draws only: no move, no phase change, but the source
  // still follows the actor.
  UpdateAndDraw(game, *a, false);
  EXPECT_EQ(a->position, Vec3(110.0f, 0.0f, 150.0f));
  EXPECT_EQ(a->walkPhase, 0.05f);
  EXPECT_EQ(sound.sourcePositions.size(), 2u);
}

TEST_F(ModelDrawTest, RobotAtRestAfterResetBobsUpAndWrapsWithoutAFootstep) {
  auto a = robot();
  a->model->keys = {key(0.0f, 0, 0, 0), key(1.0f, 0, 0, 0)};
  a->model->currentKey = 1;
  a->walkPhase = 1.0f;
  UpdateAndDraw(game, *a, true);
  EXPECT_EQ(a->position.y, 0.4f);
  EXPECT_TRUE(sound.played.empty());
  EXPECT_EQ(a->walkPhase, 0.0f);
  EXPECT_EQ(a->model->currentKey, 0u);
}

TEST_F(ModelDrawTest, TheShotNeitherBobsNorSoundsButAnimates) {
  auto shot = robot();
  shot->walks = 0;
  for (int i = 0; i < 20; ++i) UpdateAndDraw(game, *shot, true);
  EXPECT_EQ(shot->position.y, 0.0f);
  EXPECT_TRUE(sound.played.empty());
  EXPECT_EQ(shot->walkPhase, 0.0f);  // wrapped on the twentieth
}

TEST_F(ModelDrawTest, GameOverDrawsAndMovesNothing) {
  auto a = robot();
  a->SetPosition(5.0f, 6.0f, 7.0f);
  a->SetVelocity(1.0f, 1.0f, 1.0f);
  a->walkPhase = 0.3f;
  sim.gameOver = 1;
  dev.clearCalls();
  UpdateAndDraw(game, *a, true);
  UpdateAndDraw(game, *a, false);
  EXPECT_TRUE(dev.calls().empty()) << describeCalls(dev.calls());
  EXPECT_EQ(a->position, Vec3(5.0f, 6.0f, 7.0f));
  EXPECT_EQ(a->walkPhase, 0.3f);
  EXPECT_TRUE(sound.sourcePositions.empty());
  EXPECT_TRUE(sound.played.empty());
}

TEST_F(ModelDrawTest, DeadActorGoesToItsRestingPlaceUndrawn) {
  auto a = robot();
  a->SetPosition(5.0f, 6.0f, 7.0f);
  a->alive = 0;
  for (bool advance : {true, false}) {
    dev.clearCalls();
    UpdateAndDraw(game, *a, advance);
    EXPECT_EQ(a->position, Vec3(0.0f, -700.0f, 0.0f));
    EXPECT_TRUE(dev.calls().empty());
    a->SetPosition(1.0f, 1.0f, 1.0f);
  }
  EXPECT_TRUE(sound.sourcePositions.empty());
  EXPECT_EQ(a->walkPhase, 0.0f);
}

TEST_F(ModelDrawTest, WorldMatricesOfARootPartAndItsChild) {
  Actor a(1, 0);
  a.walkPhase = 0.5f;
  a.SetRotation(0.0f, 90.0f, 0.0f);
  a.SetRotationCentre(0.0f, 0.0f, 5.0f);
  a.SetPosition(100.0f, 0.0f, 200.0f);
  a.model = std::make_unique<ModelPart>();
  ModelPart& root = *a.model;
  root.pivot = Vec3(1.0f, 0.0f, 0.0f);
  root.keys = {key(0.0f, 0, 0, 0), key(1.0f, 0, 180, 0)};  // 90 degrees about y at phase 0.5
  root.child = std::make_unique<ModelPart>();
  ModelPart& child = *root.child;
  child.pivot = Vec3(0.0f, 5.0f, 0.0f);
  child.keys = {key(1.0f, 45, 45, 45)};  // a single key: never turns

  dev.clearCalls();
  DrawPart(scene, a, root, false);
  const auto transforms = onlyKinds(dev.calls(), {CallKind::GetTransform, CallKind::SetTransform});
  ASSERT_EQ(transforms.size(), 6u) << describeCalls(transforms);
  const Matrix4 identity = Matrix4::identity();
  const Matrix4& rootWorld = transforms[1].matrix();
  const Matrix4& childWorld = transforms[3].matrix();
  EXPECT_TRUE(callsEqual(transforms, {ec::getTransform(TransformKind::World, identity), ec::setTransform(TransformKind::World, rootWorld),
                                      ec::getTransform(TransformKind::World, rootWorld), ec::setTransform(TransformKind::World, childWorld),
                                      ec::setTransform(TransformKind::World, rootWorld), ec::setTransform(TransformKind::World, identity)}));

  // By hand, for the root vertex (2, 0, 0): about the pivot (1, 0, 0) by 90
  // degrees about y -> (1, 0, -1); about the centre (0, 0, 5) by the actor's
  // 90 degrees -> (-6, 0, 4); plus the position -> (94, 0, 204).
  expectNear(transformPoint(Vec3(2, 0, 0), rootWorld), Vec3(94, 0, 204));
  // A child vertex moves with its parent only: (0, 0, 1) -> (96, 0, 203).
  expectNear(transformPoint(Vec3(0, 0, 1), childWorld), Vec3(96, 0, 203));
  // The child's own matrix is T(-pivot) T(pivot), exactly the identity here.
  EXPECT_EQ(childWorld, matrixMultiply(matrixMultiply(matrixTranslation(0, -5, 0), matrixTranslation(0, 5, 0)),
                                       rootWorld));
}

TEST_F(ModelDrawTest, KeysStepAtMostOnePerDrawInEitherPass) {
  auto a = robot();
  ModelPart& part = *a->model;
  part.keys = {key(0.0f, 0, 0, 0), key(0.01f, 0, 10, 0), key(0.02f, 0, 20, 0), key(0.03f, 0, 30, 0),
               key(1.0f, 0, 90, 0)};
  a->walkPhase = 0.5f;
  UpdateAndDraw(game, *a, false);
  EXPECT_EQ(part.currentKey, 1u);
  UpdateAndDraw(game, *a, false);
  EXPECT_EQ(part.currentKey, 2u);
  UpdateAndDraw(game, *a, true);
  EXPECT_EQ(part.currentKey, 3u);
  UpdateAndDraw(game, *a, true);
  EXPECT_EQ(part.currentKey, 3u);  // the next key, at 1.0, is ahead of the phase
  RewindKeys(part);
  EXPECT_EQ(part.currentKey, 0u);
}

TEST_F(ModelDrawTest, KeyAngleInterpolatesExtrapolatesAndHoldsOnEqualTimes) {
  Actor a(1, 0);
  ModelPart part;
  part.keys = {key(0.2f, 10, 0, -4), key(0.4f, 30, 0, 4)};
  a.walkPhase = 0.3f;
  EXPECT_NEAR(KeyAngle(part, 0, a.walkPhase), 20.0f, 1e-4f);
  EXPECT_NEAR(KeyAngle(part, 2, a.walkPhase), 0.0f, 1e-4f);
  a.walkPhase = 0.6f;  // past the next key: the same formula runs on
  EXPECT_NEAR(KeyAngle(part, 0, a.walkPhase), 50.0f, 1e-3f);

  // Two keys at one time: the current key's angle, not a division by zero.
  part.keys = {key(0.2f, 10, 11, 12), key(0.2f, 30, 31, 32)};
  a.walkPhase = 0.2f;
  EXPECT_EQ(KeyAngle(part, 0, a.walkPhase), 10.0f);
  EXPECT_EQ(KeyAngle(part, 1, a.walkPhase), 11.0f);
  EXPECT_EQ(KeyAngle(part, 2, a.walkPhase), 12.0f);
}

TEST_F(ModelDrawTest, SingleKeyPartsNeverRotate) {
  auto a = robot();
  a->model->keys = {key(1.0f, 33, 66, 99)};
  a->model->pivot = Vec3(3.0f, 4.0f, 5.0f);
  for (float phase : {0.0f, 0.5f, 0.99f}) {
    a->walkPhase = phase;
    dev.clearCalls();
    DrawPart(scene, *a, *a->model, false);
    const auto sets = onlyKinds(dev.calls(), {CallKind::SetTransform});
    ASSERT_EQ(sets.size(), 2u);
    // No rotation: the point is only carried by the (zero) position.
    expectNear(transformPoint(Vec3(1, 2, 3), sets[0].matrix()), Vec3(1, 2, 3), 1e-5f);
    EXPECT_EQ(a->model->currentKey, 0u);
  }
}

namespace {

// The drawing order written recursively, as a reference for the iterative
// one: Saved, own matrix times Saved, draw, child, Saved again, sibling.
// Both use partMatrix: only the traversal is compared.
void referenceDraw(Scene& scene, const Actor& owner, ModelPart& part, bool isChild) {
  const Matrix4 saved = scene.device.GetTransform(TransformKind::World);
  const Matrix4 m = partMatrix(owner, part, isChild);
  scene.device.SetTransform(TransformKind::World, matrixMultiply(m, saved));
  draw(scene, part.mesh, 0, DrawMode::Normal);
  if (part.child) referenceDraw(scene, owner, *part.child, true);
  scene.device.SetTransform(TransformKind::World, saved);
  if (part.sibling) referenceDraw(scene, owner, *part.sibling, isChild);
}

// An irregular tree: parts with children, siblings, both and neither, with
// keys and pivots that differ per part.
void buildTree(Actor& a) {
  int serial = 0;
  std::function<std::unique_ptr<ModelPart>(int)> make = [&](int depth) {
    auto part = std::make_unique<ModelPart>();
    const float s = static_cast<float>(++serial);
    part->pivot = Vec3(s, -s, 0.5f * s);
    part->keys = {key(0.0f, s, 2 * s, 3 * s), key(0.3f, -s, s, 0), key(1.0f, 0, 0, s)};
    part->mesh.materialIndex = serial;
    if (depth < 4 && serial % 4 != 0) part->child = make(depth + 1);
    if (depth > 0 && serial < 30 && serial % 3 != 0) part->sibling = make(depth);
    return part;
  };
  a.model = make(0);
  a.model->sibling = make(1);
  a.walkPhase = 0.45f;
  a.SetRotation(10.0f, 20.0f, 30.0f);
  a.SetRotationCentre(1.0f, 2.0f, 3.0f);
  a.SetPosition(-50.0f, 0.0f, 75.0f);
}

}  // namespace

TEST_F(ModelDrawTest, IterativeDrawMakesTheCallsOfTheRecursiveDefinition) {
  for (int i = 0; i < 40; ++i) {
    Material m;
    m.power = static_cast<float>(i);
    level.materials.push_back(m);
  }
  Actor a(1, 0), b(1, 0);
  buildTree(a);
  buildTree(b);
  dev.SetTransform(TransformKind::World, matrixTranslation(7.0f, 8.0f, 9.0f));  // a non-identity frame
  for (int pass = 0; pass < 3; ++pass) {
    dev.clearCalls();
    DrawPart(scene, a, *a.model, false);
    const auto actual = dev.takeCalls();
    referenceDraw(scene, b, *b.model, false);
    const auto expected = dev.takeCalls();
    ASSERT_TRUE(callsEqual(actual, expected)) << "pass " << pass;
    EXPECT_GE(countKind(actual, CallKind::DrawPrimitive), 12u);
  }
}

namespace {

class CountingDevice : public RecordingDevice {
 public:
  size_t draws = 0;
  void DrawPrimitive(PrimitiveType type, uint32_t start, uint32_t count) override {
    ++draws;
    RecordingDevice::DrawPrimitive(type, start, count);
  }
};

}  // namespace

TEST_F(ModelDrawTest, DeepTreesDrawAndRewindWithoutRecursion) {
  constexpr int kDepth = 100000;
  CountingDevice counting;
  counting.setKeep(RecordingDevice::Keep::Nothing);
  Scene countingScene{counting, level, drawFlags};

  for (bool chainOfChildren : {true, false}) {
    Actor a(1, 0);
    a.model = std::make_unique<ModelPart>();
    ModelPart* last = a.model.get();
    for (int i = 1; i < kDepth; ++i) {
      auto next = std::make_unique<ModelPart>();
      next->keys = {key(0.0f, 1, 2, 3), key(0.01f, 4, 5, 6), key(1.0f, 7, 8, 9)};
      next->currentKey = 1;
      ModelPart* raw = next.get();
      (chainOfChildren ? last->child : last->sibling) = std::move(next);
      last = raw;
    }
    a.walkPhase = 0.5f;
    counting.draws = 0;
    DrawPart(countingScene, a, *a.model, false);
    EXPECT_EQ(counting.draws, static_cast<size_t>(kDepth));
    EXPECT_EQ(counting.GetTransform(TransformKind::World), Matrix4::identity());
    EXPECT_EQ(last->currentKey, 1u);
    RewindKeys(*a.model);
    EXPECT_EQ(last->currentKey, 0u);
    a.walkPhase = 0.95f;
    AdvancePhase(a);  // wraps and rewinds the whole tree
    EXPECT_EQ(a.walkPhase, 0.0f);
  }
}

}  // namespace cog
