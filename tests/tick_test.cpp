// One tick on the recording device: the order of the passes, the stencil
// mark, the reflected view, the glass, and what the actor passes decide.

#include <gtest/gtest.h>

#include <type_traits>

#include <algorithm>

#include "game/game_state.h"
#include "game/game_tick.h"
#include "game/keys.h"
#include "audio/sound.h"
#include "base/matrix.h"
#include "level/level_data.h"
#include "level/model.h"
#include "render/draw_flags.h"
#include "sim/state.h"
#include "support/arena.h"

namespace cog {

namespace {

class Tick : public ArenaGame {
 protected:
  SimState& sim = game.sim;
  Actors& actors = game.actors;
  LevelData& level = game.level;
  AudioState& audio = game.audio;
  ShellState& shell = game.shell;

  const std::vector<RecordedCall>& calls() const { return renderDevice.calls(); }

  std::vector<size_t> indicesOf(CallKind kind) const {
    std::vector<size_t> out;
    for (size_t i = 0; i < calls().size(); ++i)
      if (calls()[i].kind == kind) out.push_back(i);
    return out;
  }

  // Index of the first SetRenderState(state, value) at or after `from`.
  template <typename Value>
  size_t findState(RenderState state, Value value, size_t from = 0) const {
    uint32_t number = 0;
    if constexpr (std::is_enum_v<Value>)
      number = raw(value);
    else
      number = static_cast<uint32_t>(value);
    for (size_t i = from; i < calls().size(); ++i)
      if (calls()[i].kind == CallKind::SetRenderState && calls()[i].a == raw(state) && calls()[i].b == number)
        return i;
    return calls().size();
  }

  // The vertex buffer bound when draw call `drawIndex` was made.
  uint32_t bufferOfDraw(size_t drawIndex) const {
    for (size_t i = drawIndex; i-- > 0;)
      if (calls()[i].kind == CallKind::SetStreamSource) return calls()[i].b;
    return 0;
  }
};

TEST_F(Tick, FrameOpensWithClearLightsAndCamera) {
  tick();
  ASSERT_GE(calls().size(), 10u);
  EXPECT_EQ(calls()[0].kind, CallKind::Clear);
  EXPECT_EQ(calls()[0].a, raw(ClearFlags::Target | ClearFlags::ZBuffer | ClearFlags::Stencil));
  EXPECT_EQ(calls()[0].b, 0xFF000000u);
  EXPECT_EQ(calls()[0].depth, 1.0f);
  EXPECT_EQ(calls()[1].kind, CallKind::BeginScene);
  EXPECT_EQ(calls()[2].kind, CallKind::SetLight);
  const std::vector<size_t> transforms = indicesOf(CallKind::SetTransform);
  ASSERT_GE(transforms.size(), 3u);
  EXPECT_EQ(calls()[transforms[0]].a, raw(TransformKind::World));
  EXPECT_EQ(calls()[transforms[1]].a, raw(TransformKind::View));
  EXPECT_EQ(calls()[transforms[2]].a, raw(TransformKind::Projection));
  EXPECT_EQ(calls().back().kind, CallKind::Present);
  EXPECT_EQ(calls()[calls().size() - 2].kind, CallKind::EndScene);
}

TEST_F(Tick, PassesDrawInOrderWithTheMirrorBetween) {
  tick();
  const std::vector<size_t> draws = indicesOf(CallKind::DrawPrimitive);
  // Rooms seen from room 0 (13 of 16 records; 3 are markers, the mirror
  // pane among them), 2 props, 7 robots of 4 parts, the stencil pane, the
  // pane pushing its depth to the far plane, the reflected robots and
  // props, the reflected rooms each with its overlay, the glass. The parked
  // shot is drawn in neither pass.
  const size_t rooms = 13, props = 2, robots = 28;
  ASSERT_EQ(draws.size(), rooms + props + robots + 2 + robots + props + rooms + rooms + 1)
      << describeCalls(calls());

  const size_t stencilDraw = draws[rooms + props + robots];
  const size_t stencilOn = findState(RenderState::StencilEnable, true);
  EXPECT_LT(draws[rooms + props + robots - 1], stencilOn);
  EXPECT_LT(stencilOn, stencilDraw);
  EXPECT_EQ(calls()[stencilDraw].a, raw(PrimitiveType::TriangleStrip));
  EXPECT_EQ(calls()[stencilDraw].c, 2u);
  EXPECT_EQ(bufferOfDraw(stencilDraw), level.rooms[0].vertexBuffer->id());

  // Then the marked pixels' depth goes to the far plane, under an always
  // passing depth test that is put back before the reflection.
  const size_t farDraw = draws[rooms + props + robots + 1];
  EXPECT_EQ(bufferOfDraw(farDraw), level.rooms[0].vertexBuffer->id());
  EXPECT_LT(findState(RenderState::ZFunc, Compare::Always, stencilDraw), farDraw);
  EXPECT_LT(farDraw, findState(RenderState::ZFunc, Compare::LessEqual, farDraw));

  // The reflected view comes after that and before the reflected robots.
  const size_t cullCw = findState(RenderState::CullMode, Cull::Clockwise, farDraw);
  EXPECT_LT(cullCw, draws[rooms + props + robots + 2]);

  // The glass is the last draw: the pane again, after culling is restored;
  // stencil testing ends with it.
  const size_t glass = draws.back();
  EXPECT_EQ(bufferOfDraw(glass), level.rooms[0].vertexBuffer->id());
  EXPECT_LT(findState(RenderState::CullMode, Cull::CounterClockwise, cullCw), glass);
  EXPECT_LT(glass, findState(RenderState::StencilEnable, false, glass));
}

TEST_F(Tick, ReflectedViewIsTheMirrorTimesTheView) {
  sim.player.position = Vec3(120, 0, 300);
  sim.player.heading = -63;
  tick();
  const std::vector<size_t> transforms = indicesOf(CallKind::SetTransform);
  std::vector<Matrix4> views;
  for (size_t i : transforms)
    if (calls()[i].a == raw(TransformKind::View)) views.push_back(calls()[i].matrix());
  ASSERT_EQ(views.size(), 3u);  // camera, reflected, restored for the glass
  const Matrix4 mirror = matrixReflect(Vec3(-100, 0, 600), Vec3(1, 0, 0));
  EXPECT_EQ(views[1], matrixMultiply(mirror, views[0]));
  EXPECT_EQ(views[2], views[0]);
  // (x, y, z) -> (-x - 200, y, z)
  EXPECT_EQ(mirror.m[0][0], -1.0f);
  EXPECT_EQ(mirror.m[3][0], -200.0f);
}

TEST_F(Tick, XrayDrawsWithTheDepthTestOff) {
  HandleKeyDown(game, kKeyXray);
  tick();
  const size_t zOff = findState(RenderState::ZEnable, false);
  ASSERT_LT(zOff, calls().size());
  EXPECT_LT(zOff, indicesOf(CallKind::DrawPrimitive).front());
}

TEST_F(Tick, PlayerOverNoFloorSeesEveryRoom) {
  sim.player.position = Vec3(5000, 0, 5000);
  sim.player.heading = 0;
  tick();
  EXPECT_EQ(shell.currentRoom, -1);
  // Every room record but the markers is drawn directly.
  const std::vector<size_t> draws = indicesOf(CallKind::DrawPrimitive);
  EXPECT_EQ(draws.size(), 13u + 2u + 28u + 2u + 28u + 2u + 13u + 13u + 1u);
}

TEST_F(Tick, MirrorShowsTheShotOnlyWhileItFlies) {
  tick();
  const size_t parked = indicesOf(CallKind::DrawPrimitive).size();
  HandleKeyDown(game, kKeyFire);
  tick();
  EXPECT_EQ(indicesOf(CallKind::DrawPrimitive).size(), parked + 2);  // direct and reflected
}

TEST_F(Tick, CaughtPlayerIsMovedAwayWithTheDeathSound) {
  Actor& robot = actors.robots[4];
  shell.robotsFrozen = 1;
  robot.SetPosition(sim.player.position.x + 30, 0, sim.player.position.z - 30);
  tick();
  EXPECT_EQ(sim.gameOver, 1);
  EXPECT_EQ(sim.player.position, Vec3(-1900, 0, 9900));
  EXPECT_EQ(sim.player.heading, 0.0f);
  EXPECT_EQ(std::count(audio.startedEffects.begin(), audio.startedEffects.end(), audio.deadSegment), 1);

  // Nothing is drawn or moved while the game is over; the test repeats.
  audio.startedEffects.clear();
  const Vec3 robotAt = robot.position;
  tick();
  EXPECT_EQ(robot.position, robotAt);
  EXPECT_TRUE(audio.startedEffects.empty());
  HandleKeyDown(game, kKeyNewGame);
  EXPECT_EQ(sim.gameOver, 0);
}

TEST_F(Tick, TheWinComesOneTickAfterTheLastHit) {
  shell.robotsFrozen = 1;
  for (int i = 0; i < 6; ++i) actors.robots[i].alive = 0;
  Actor& last = actors.robots[6];
  last.SetPosition(0, 0, 100);  // beyond reach, in the shot's way
  HandleKeyDown(game, kKeyFire);
  tick();
  EXPECT_EQ(last.alive, 0);
  EXPECT_EQ(sim.gameOver, 0);
  EXPECT_EQ(actors.shot.inFlight, 0);
  EXPECT_EQ(actors.shot.position, Vec3(0, -250, 0));
  tick();
  EXPECT_EQ(sim.gameOver, 1);
  EXPECT_EQ(sim.player.position, Vec3(-1800, 0, 9900));
}

TEST_F(Tick, FrozenRobotsTreadInPlace) {
  shell.robotsFrozen = 1;
  const Vec3 start = actors.robots[1].position;
  // After a new game the phase is 1.0: the first update wraps it, so the
  // footsteps of the first cycle fall on ticks 11 and 21.
  for (int i = 0; i < 21; ++i) tick();
  EXPECT_EQ(actors.robots[1].position.x, start.x);
  EXPECT_EQ(actors.robots[1].position.z, start.z);
  
  EXPECT_EQ(std::count(audio.startedEffects.begin(), audio.startedEffects.end(), audio.gunSegment), 14);
}

}  // namespace

}  // namespace cog
