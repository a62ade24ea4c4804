// Drawing one mesh record, and the render-state blocks of the frame's
// passes, checked call by call on the recording device.

#include <gtest/gtest.h>

#include "level/level_data.h"
#include "render/camera.h"
#include "render/draw_flags.h"
#include "render/mirror_depth.h"
#include "render/rec/recording_device.h"
#include "render/record_draw.h"
#include "sim/state.h"
#include "support/recording_checks.h"
#include "support/test_device.h"
#include "support/test_game.h"

namespace cog {

namespace ec = expect_call;

namespace {

Material materialNumber(int n) {
  Material m;
  m.diffuse = ColorValue{0.1f * n, 0.2f, 0.3f, 0.5f};
  m.power = static_cast<float>(n);
  return m;
}

// Level textures have ids 1..6, light maps 7..9, materials differ by power.
constexpr uint32_t kTex = 1;
constexpr uint32_t kLightMap = 7;

class RecordDrawTest : public GameTest {
 protected:
  void SetUp() override {
    dev.setKeep(RecordingDevice::Keep::Everything);
    std::string error;
    for (uint32_t i = 0; i < 6; ++i) level.levelTextures.push_back(dev.CreateTextureFromFile("texture.bmp", error));
    for (uint32_t i = 0; i < 3; ++i) level.lightMaps.push_back(dev.CreateTextureFromFile("light.bmp", error));
    dev.clearCalls();
    for (int i = 0; i < 4; ++i) level.materials.push_back(materialNumber(i));
  }

  MeshRecord record(int32_t type, int32_t count, int32_t material = 2, int32_t texture = 1) {
    MeshRecord r;
    r.primitiveType = type;
    r.primitiveCount = count;
    r.vertexCount = type != 0 ? count * 3 : count + 2;
    r.materialIndex = material;
    r.textureIndex = texture;
    std::vector<MeshVertex> vertices(static_cast<size_t>(r.vertexCount));
    std::string error;
    r.vertexBuffer = dev.CreateVertexBuffer(vertices.data(), static_cast<uint32_t>(vertices.size() * 40), kMeshFvf,
                                            error);
    r.vertices = vertices;
    return r;
  }

  std::vector<RecordedCall> drawCalls(const MeshRecord& r, int index, DrawMode mode) {
    dev.clearCalls();
    draw(scene, r, index, mode);
    return dev.takeCalls();
  }
};

// The calls of a normal draw up to and including the light map.
std::vector<RecordedCall> normalHead(int material, uint32_t texture, uint32_t lightMap) {
  return {ec::material(materialNumber(material)),
          ec::renderState(RenderState::AlphaBlendEnable, true),
          ec::renderState(RenderState::SrcBlend, Blend::One),
          ec::renderState(RenderState::DestBlend, Blend::Zero),
          ec::texture(0, texture),
          ec::stageState(1, TextureStageState::ColorArg1, TextureArg::Texture),
          ec::stageState(1, TextureStageState::ColorOp, TextureOp::Modulate),
          ec::stageState(1, TextureStageState::ColorArg2, TextureArg::Current),
          ec::stageState(1, TextureStageState::AlphaOp, TextureOp::Disable),
          ec::texture(1, lightMap)};
}

std::vector<RecordedCall> operator+(std::vector<RecordedCall> a, const std::vector<RecordedCall>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::vector<RecordedCall> streamAndDraw(uint32_t buffer, PrimitiveType type, uint32_t count) {
  return {ec::streamSource(0, buffer, 40), ec::vertexShader(0x212), ec::drawPrimitive(type, 0, count)};
}

}  // namespace

TEST_F(RecordDrawTest, NormalDrawOfAListRecord) {
  const MeshRecord r = record(1, 6);
  const uint32_t buffer = r.vertexBuffer->id();
  EXPECT_TRUE(callsEqual(drawCalls(r, 1, DrawMode::Normal),
                         normalHead(2, kTex + 1, kLightMap + 1) + streamAndDraw(buffer, PrimitiveType::TriangleList, 6)));
}

TEST_F(RecordDrawTest, StripRecordsAndEmptyRecordsStillDraw) {
  const MeshRecord strip = record(0, 4);
  const uint32_t buffer = strip.vertexBuffer->id();
  EXPECT_TRUE(callsEqual(drawCalls(strip, 0, DrawMode::Normal),
                         normalHead(2, kTex + 1, kLightMap) + streamAndDraw(buffer, PrimitiveType::TriangleStrip, 4)));

  // No primitives: the call is still made, with a count of 0.
  const MeshRecord empty = record(1, 0);
  const auto calls = drawCalls(empty, 0, DrawMode::Normal);
  ASSERT_FALSE(calls.empty());
  EXPECT_TRUE(sameCall(calls.back(), ec::drawPrimitive(PrimitiveType::TriangleList, 0, 0))) << describeCall(calls.back());
}

TEST_F(RecordDrawTest, LightMapIndexIsClampedToTheLastLightMap) {
  const MeshRecord r = record(1, 2);
  const struct {
    int index;
    uint32_t lightMap;
  } cases[] = {{0, kLightMap}, {2, kLightMap + 2}, {3, kLightMap + 2}, {100, kLightMap + 2}};
  for (const auto& c : cases) {
    const auto calls = onlyKinds(drawCalls(r, c.index, DrawMode::Normal), {CallKind::SetTexture});
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_TRUE(sameCall(calls[1], ec::texture(1, c.lightMap))) << "index " << c.index;
  }
}

TEST_F(RecordDrawTest, GlassDrawUsesTheLitMaterialAndRestoresStageZero) {
  // Room record 0 drawn as glass with the room count as its index.
  const MeshRecord pane = record(0, 2, 3, 0);
  const uint32_t buffer = pane.vertexBuffer->id();
  const std::vector<RecordedCall> expected =
      normalHead(3, kTex, kLightMap + 2) +
      std::vector<RecordedCall>{
          ec::texture(0, 0),
          ec::renderState(RenderState::AlphaBlendEnable, true),
          ec::renderState(RenderState::ZWriteEnable, false),
          ec::stageState(0, TextureStageState::ColorArg1, TextureArg::Diffuse),
          ec::stageState(0, TextureStageState::ColorOp, TextureOp::SelectArg1),
          ec::stageState(0, TextureStageState::AlphaArg1, TextureArg::Diffuse),
          ec::stageState(0, TextureStageState::AlphaOp, TextureOp::SelectArg1),
          ec::renderState(RenderState::DestBlend, Blend::InvSrcAlpha),
          ec::renderState(RenderState::SrcBlend, Blend::SrcAlpha),
          ec::renderState(RenderState::DestBlend, Blend::InvSrcAlpha),
      } +
      streamAndDraw(buffer, PrimitiveType::TriangleStrip, 2) +
      std::vector<RecordedCall>{
          ec::stageState(0, TextureStageState::ColorArg1, TextureArg::Texture),
          ec::stageState(0, TextureStageState::ColorOp, TextureOp::SelectArg1),
          ec::stageState(0, TextureStageState::AlphaArg1, TextureArg::Texture),
          ec::stageState(0, TextureStageState::AlphaOp, TextureOp::SelectArg1),
          ec::renderState(RenderState::ZWriteEnable, true),
      };
  EXPECT_TRUE(callsEqual(drawCalls(pane, 7, DrawMode::Glass), expected));
}

TEST_F(RecordDrawTest, OverlayDrawPutsTheLightMapOnStageZero) {
  const MeshRecord r = record(1, 3);
  const uint32_t buffer = r.vertexBuffer->id();
  const std::vector<RecordedCall> expected = std::vector<RecordedCall>{
      ec::material(materialNumber(2)),
      ec::renderState(RenderState::SrcBlend, Blend::InvSrcColor),
      ec::renderState(RenderState::DestBlend, Blend::SrcColor),
      ec::texture(0, kLightMap + 1),
  } + streamAndDraw(buffer, PrimitiveType::TriangleList, 3);
  EXPECT_TRUE(callsEqual(drawCalls(r, 1, DrawMode::Overlay), expected));
}

TEST_F(RecordDrawTest, XraySubstitutesTheFifthTextureOnlyForOutOfSightRecords) {
  const MeshRecord r = record(1, 3);
  const uint32_t buffer = r.vertexBuffer->id();
  const std::vector<RecordedCall> substituted =
      normalHead(2, kTex + 1, kLightMap) + std::vector<RecordedCall>{ec::texture(0, kTex + 4)} +
      streamAndDraw(buffer, PrimitiveType::TriangleList, 3);

  drawFlags.xrayMode = 1;
  drawFlags.outOfSight = 1;
  EXPECT_TRUE(callsEqual(drawCalls(r, 0, DrawMode::Normal), substituted));

  // Overlay draws are substituted too, after their light map.
  const auto overlay = onlyKinds(drawCalls(r, 0, DrawMode::Overlay), {CallKind::SetTexture});
  EXPECT_TRUE(callsEqual(overlay, {ec::texture(0, kLightMap), ec::texture(0, kTex + 4)}));

  const std::vector<RecordedCall> plain = normalHead(2, kTex + 1, kLightMap) +
                                          streamAndDraw(buffer, PrimitiveType::TriangleList, 3);
  drawFlags.outOfSight = 0;
  EXPECT_TRUE(callsEqual(drawCalls(r, 0, DrawMode::Normal), plain));
  drawFlags.xrayMode = 0;
  drawFlags.outOfSight = 1;
  EXPECT_TRUE(callsEqual(drawCalls(r, 0, DrawMode::Normal), plain));
}

TEST_F(RecordDrawTest, ObjectsSwitchTheLightMapStageOff) {
  const MeshRecord r = record(1, 3);
  drawFlags.drawingObjects = 1;
  const auto calls = drawCalls(r, 0, DrawMode::Normal);
  ASSERT_GE(calls.size(), 4u);
  EXPECT_TRUE(callsEqual(slice(calls, calls.size() - 4),
                         {ec::vertexShader(0x212), ec::stageState(1, TextureStageState::ColorOp, TextureOp::Disable),
                          ec::stageState(1, TextureStageState::AlphaOp, TextureOp::Disable),
                          ec::drawPrimitive(PrimitiveType::TriangleList, 0, 3)}));
}

TEST_F(RecordDrawTest, MissingListEntriesDrawWithoutTexturesInsteadOfReadingPastTheLists) {
  const MeshRecord r = record(1, 1, 99, 42);
  level.lightMaps.clear();
  level.levelTextures.resize(3);
  drawFlags.xrayMode = 1;
  drawFlags.outOfSight = 1;
  const auto calls = drawCalls(r, 5, DrawMode::Normal);
  EXPECT_TRUE(sameCall(calls[0], ec::material(Material())));
  EXPECT_TRUE(callsEqual(onlyKinds(calls, {CallKind::SetTexture}),
                         {ec::texture(0, 0), ec::texture(1, 0), ec::texture(0, 0)}));
}

TEST_F(RecordDrawTest, PassBlocks) {
  dev.clearCalls();
  applyXrayStates(dev);
  EXPECT_TRUE(callsEqual(dev.takeCalls(), {ec::renderState(RenderState::AlphaBlendEnable, true),
                                           ec::renderState(RenderState::SrcBlend, Blend::SrcAlpha),
                                           ec::renderState(RenderState::DestBlend, Blend::One),
                                           ec::renderState(RenderState::ZEnable, false)}));
  applyScenePassStages(dev);
  EXPECT_TRUE(callsEqual(dev.takeCalls(), {ec::stageState(0, TextureStageState::ColorArg1, TextureArg::Texture),
                                           ec::stageState(0, TextureStageState::ColorOp, TextureOp::SelectArg1),
                                           ec::stageState(0, TextureStageState::AlphaArg1, TextureArg::Texture),
                                           ec::stageState(0, TextureStageState::AlphaOp, TextureOp::SelectArg1)}));
}

TEST_F(RecordDrawTest, StencilMarkDrawsTwoStripTrianglesOfRoomZero) {
  level.rooms.push_back(record(1, 12));  // its own type and count play no part
  const uint32_t buffer = level.rooms[0].vertexBuffer->id();
  dev.clearCalls();
  markMirrorStencil(scene);
  EXPECT_TRUE(callsEqual(dev.takeCalls(), {ec::renderState(RenderState::StencilEnable, true),
                                           ec::renderState(RenderState::StencilFunc, Compare::Always),
                                           ec::renderState(RenderState::StencilRef, 1),
                                           ec::renderState(RenderState::StencilMask, 0xFFFFFFFFu),
                                           ec::renderState(RenderState::StencilWriteMask, 0xFFFFFFFFu),
                                           ec::renderState(RenderState::StencilZFail, StencilOp::Keep),
                                           ec::renderState(RenderState::StencilFail, StencilOp::Keep),
                                           ec::renderState(RenderState::StencilPass, StencilOp::Replace),
                                           ec::renderState(RenderState::ZWriteEnable, false),
                                           ec::renderState(RenderState::AlphaBlendEnable, true),
                                           ec::renderState(RenderState::SrcBlend, Blend::Zero),
                                           ec::renderState(RenderState::DestBlend, Blend::One),
                                           ec::texture(0, 0),
                                           ec::vertexShader(0x212),
                                           ec::streamSource(0, buffer, 40),
                                           ec::drawPrimitive(PrimitiveType::TriangleStrip, 0, 2)}));
}

TEST_F(RecordDrawTest, MarkedPaneDepthGoesToTheFarPlane) {
  level.rooms.push_back(record(1, 12));
  const uint32_t buffer = level.rooms[0].vertexBuffer->id();
  const Viewport whole = dev.GetViewport();
  Viewport farPlane = whole;
  farPlane.minZ = farPlane.maxZ = 1.0f;
  dev.clearCalls();
  pushMirrorDepthToFar(scene);
  EXPECT_TRUE(callsEqual(dev.takeCalls(), {ec::renderState(RenderState::StencilFunc, Compare::Equal),
                                           ec::renderState(RenderState::StencilPass, StencilOp::Keep),
                                           ec::renderState(RenderState::ZFunc, Compare::Always),
                                           ec::renderState(RenderState::ZWriteEnable, true),
                                           ec::getViewport(whole),
                                           ec::setViewport(farPlane),
                                           ec::streamSource(0, buffer, 40),
                                           ec::drawPrimitive(PrimitiveType::TriangleStrip, 0, 2),
                                           ec::setViewport(whole),
                                           ec::renderState(RenderState::ZFunc, Compare::LessEqual)}));
}

TEST_F(RecordDrawTest, ReflectedViewAndGlassRestoreTheView) {
  for (int i = 0; i < 3; ++i) level.rooms.push_back(record(0, 2, i, 0));
  SetupCamera(dev, sim.player.position, sim.player.heading);  // the player's starting view
  const Matrix4 view = dev.GetTransform(TransformKind::View);
  const Matrix4 reflected = matrixMultiply(matrixReflect(Vec3(-100, 0, 600), Vec3(1, 0, 0)), view);

  dev.clearCalls();
  EXPECT_EQ(beginReflectedView(dev), view);
  EXPECT_TRUE(callsEqual(dev.takeCalls(), {ec::getTransform(TransformKind::View, view),
                                           ec::setTransform(TransformKind::View, reflected),
                                           ec::renderState(RenderState::ZWriteEnable, true),
                                           ec::renderState(RenderState::StencilFunc, Compare::Equal),
                                           ec::renderState(RenderState::StencilPass, StencilOp::Keep),
                                           ec::renderState(RenderState::SrcBlend, Blend::DestColor),
                                           ec::renderState(RenderState::DestBlend, Blend::Zero),
                                           ec::renderState(RenderState::CullMode, Cull::Clockwise)}));
  // A world point seen in the mirror is where its mirror image would be.
  EXPECT_EQ(dev.GetTransform(TransformKind::View), reflected);

  dev.clearCalls();
  drawGlass(scene, view);
  const auto calls = dev.takeCalls();
  EXPECT_TRUE(callsEqual(slice(calls, 0, 5), {ec::renderState(RenderState::CullMode, Cull::CounterClockwise),
                                              ec::setTransform(TransformKind::View, view),
                                              ec::renderState(RenderState::AlphaBlendEnable, true),
                                              ec::renderState(RenderState::SrcBlend, Blend::SrcAlpha),
                                              ec::renderState(RenderState::DestBlend, Blend::InvSrcAlpha)}));
  // Then the pane as glass: record 0 with index roomCount (3), so the last
  // light map; and stencil testing ends with the mirror.
  const auto pane = drawCalls(level.rooms[0], 3, DrawMode::Glass);
  EXPECT_TRUE(callsEqual(slice(calls, 5, calls.size() - 1), pane));
  EXPECT_TRUE(sameCall(calls.back(), ec::renderState(RenderState::StencilEnable, false)));
  EXPECT_EQ(dev.GetTransform(TransformKind::View), view);
}

TEST_F(RecordDrawTest, MirrorBlocksWithoutRoomsDrawNothing) {
  dev.clearCalls();
  markMirrorStencil(scene);
  pushMirrorDepthToFar(scene);
  drawGlass(scene, Matrix4::identity());
  EXPECT_EQ(countKind(dev.calls(), CallKind::DrawPrimitive), 0u);
}

}  // namespace cog
