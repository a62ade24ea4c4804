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

  std::vector<RecordedCall> drawCalls(const MeshRecord& r, int index, int overlay, int glass) {
    dev.clearCalls();
    draw(scene, r, index, overlay, glass);
    return dev.takeCalls();
  }
};

// The calls of a normal draw up to and including the light map.
std::vector<RecordedCall> normalHead(int material, uint32_t texture, uint32_t lightMap) {
  return {ec::material(materialNumber(material)),
          ec::renderState(D3DRS_ALPHABLENDENABLE, TRUE_),
          ec::renderState(D3DRS_SRCBLEND, D3DBLEND_ONE),
          ec::renderState(D3DRS_DESTBLEND, D3DBLEND_ZERO),
          ec::texture(0, texture),
          ec::stageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE),
          ec::stageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE),
          ec::stageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT),
          ec::stageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE),
          ec::texture(1, lightMap)};
}

std::vector<RecordedCall> operator+(std::vector<RecordedCall> a, const std::vector<RecordedCall>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::vector<RecordedCall> streamAndDraw(uint32_t buffer, uint32_t type, uint32_t count) {
  return {ec::streamSource(0, buffer, 40), ec::vertexShader(0x212), ec::drawPrimitive(type, 0, count)};
}

}  // namespace

TEST_F(RecordDrawTest, NormalDrawOfAListRecord) {
  const MeshRecord r = record(1, 6);
  const uint32_t buffer = r.vertexBuffer->id();
  EXPECT_TRUE(callsEqual(drawCalls(r, 1, 0, 0),
                         normalHead(2, kTex + 1, kLightMap + 1) + streamAndDraw(buffer, D3DPT_TRIANGLELIST, 6)));
}

TEST_F(RecordDrawTest, StripRecordsAndEmptyRecordsStillDraw) {
  const MeshRecord strip = record(0, 4);
  const uint32_t buffer = strip.vertexBuffer->id();
  EXPECT_TRUE(callsEqual(drawCalls(strip, 0, 0, 0),
                         normalHead(2, kTex + 1, kLightMap) + streamAndDraw(buffer, D3DPT_TRIANGLESTRIP, 4)));

  // No primitives: the call is still made, with a count of 0.
  const MeshRecord empty = record(1, 0);
  const auto calls = drawCalls(empty, 0, 0, 0);
  ASSERT_FALSE(calls.empty());
  EXPECT_TRUE(sameCall(calls.back(), ec::drawPrimitive(D3DPT_TRIANGLELIST, 0, 0))) << describeCall(calls.back());
}

TEST_F(RecordDrawTest, LightMapIndexIsClampedToTheLastLightMap) {
  const MeshRecord r = record(1, 2);
  const struct {
    int index;
    uint32_t lightMap;
  } cases[] = {{0, kLightMap}, {2, kLightMap + 2}, {3, kLightMap + 2}, {100, kLightMap + 2}};
  for (const auto& c : cases) {
    const auto calls = onlyKinds(drawCalls(r, c.index, 0, 0), {CallKind::SetTexture});
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
          ec::renderState(D3DRS_ALPHABLENDENABLE, TRUE_),
          ec::renderState(D3DRS_ZWRITEENABLE, FALSE_),
          ec::stageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE),
          ec::stageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1),
          ec::stageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE),
          ec::stageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1),
          ec::renderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA),
          ec::renderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA),
          ec::renderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA),
      } +
      streamAndDraw(buffer, D3DPT_TRIANGLESTRIP, 2) +
      std::vector<RecordedCall>{
          ec::stageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE),
          ec::stageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1),
          ec::stageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE),
          ec::stageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1),
          ec::renderState(D3DRS_ZWRITEENABLE, TRUE_),
      };
  EXPECT_TRUE(callsEqual(drawCalls(pane, 7, 0, 1), expected));
}

TEST_F(RecordDrawTest, OverlayDrawPutsTheLightMapOnStageZero) {
  const MeshRecord r = record(1, 3);
  const uint32_t buffer = r.vertexBuffer->id();
  const std::vector<RecordedCall> expected = std::vector<RecordedCall>{
      ec::material(materialNumber(2)),
      ec::renderState(D3DRS_SRCBLEND, D3DBLEND_INVSRCCOLOR),
      ec::renderState(D3DRS_DESTBLEND, D3DBLEND_SRCCOLOR),
      ec::texture(0, kLightMap + 1),
  } + streamAndDraw(buffer, D3DPT_TRIANGLELIST, 3);
  EXPECT_TRUE(callsEqual(drawCalls(r, 1, 1, 0), expected));
}

TEST_F(RecordDrawTest, XraySubstitutesTheFifthTextureOnlyForOutOfSightRecords) {
  const MeshRecord r = record(1, 3);
  const uint32_t buffer = r.vertexBuffer->id();
  const std::vector<RecordedCall> substituted =
      normalHead(2, kTex + 1, kLightMap) + std::vector<RecordedCall>{ec::texture(0, kTex + 4)} +
      streamAndDraw(buffer, D3DPT_TRIANGLELIST, 3);

  drawFlags.xrayMode = 1;
  drawFlags.outOfSight = 1;
  EXPECT_TRUE(callsEqual(drawCalls(r, 0, 0, 0), substituted));

  // Overlay draws are substituted too, after their light map.
  const auto overlay = onlyKinds(drawCalls(r, 0, 1, 0), {CallKind::SetTexture});
  EXPECT_TRUE(callsEqual(overlay, {ec::texture(0, kLightMap), ec::texture(0, kTex + 4)}));

  const std::vector<RecordedCall> plain = normalHead(2, kTex + 1, kLightMap) +
                                          streamAndDraw(buffer, D3DPT_TRIANGLELIST, 3);
  drawFlags.outOfSight = 0;
  EXPECT_TRUE(callsEqual(drawCalls(r, 0, 0, 0), plain));
  drawFlags.xrayMode = 0;
  drawFlags.outOfSight = 1;
  EXPECT_TRUE(callsEqual(drawCalls(r, 0, 0, 0), plain));
}

TEST_F(RecordDrawTest, ObjectsSwitchTheLightMapStageOff) {
  const MeshRecord r = record(1, 3);
  drawFlags.drawingObjects = 1;
  const auto calls = drawCalls(r, 0, 0, 0);
  ASSERT_GE(calls.size(), 4u);
  EXPECT_TRUE(callsEqual(slice(calls, calls.size() - 4),
                         {ec::vertexShader(0x212), ec::stageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE),
                          ec::stageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE),
                          ec::drawPrimitive(D3DPT_TRIANGLELIST, 0, 3)}));
}

TEST_F(RecordDrawTest, MissingListEntriesDrawWithoutTexturesInsteadOfReadingPastTheLists) {
  const MeshRecord r = record(1, 1, 99, 42);
  level.lightMaps.clear();
  level.levelTextures.resize(3);
  drawFlags.xrayMode = 1;
  drawFlags.outOfSight = 1;
  const auto calls = drawCalls(r, 5, 0, 0);
  EXPECT_TRUE(sameCall(calls[0], ec::material(Material())));
  EXPECT_TRUE(callsEqual(onlyKinds(calls, {CallKind::SetTexture}),
                         {ec::texture(0, 0), ec::texture(1, 0), ec::texture(0, 0)}));
}

TEST_F(RecordDrawTest, PassBlocks) {
  dev.clearCalls();
  applyXrayStates(dev);
  EXPECT_TRUE(callsEqual(dev.takeCalls(), {ec::renderState(D3DRS_ALPHABLENDENABLE, TRUE_),
                                           ec::renderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA),
                                           ec::renderState(D3DRS_DESTBLEND, D3DBLEND_ONE),
                                           ec::renderState(D3DRS_ZENABLE, FALSE_)}));
  applyScenePassStages(dev);
  EXPECT_TRUE(callsEqual(dev.takeCalls(), {ec::stageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE),
                                           ec::stageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1),
                                           ec::stageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE),
                                           ec::stageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1)}));
}

TEST_F(RecordDrawTest, StencilMarkDrawsTwoStripTrianglesOfRoomZero) {
  level.rooms.push_back(record(1, 12));  // its own type and count play no part
  const uint32_t buffer = level.rooms[0].vertexBuffer->id();
  dev.clearCalls();
  markMirrorStencil(scene);
  EXPECT_TRUE(callsEqual(dev.takeCalls(), {ec::renderState(D3DRS_STENCILENABLE, TRUE_),
                                           ec::renderState(D3DRS_STENCILFUNC, D3DCMP_ALWAYS),
                                           ec::renderState(D3DRS_STENCILREF, 1),
                                           ec::renderState(D3DRS_STENCILMASK, 0xFFFFFFFFu),
                                           ec::renderState(D3DRS_STENCILWRITEMASK, 0xFFFFFFFFu),
                                           ec::renderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP),
                                           ec::renderState(D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP),
                                           ec::renderState(D3DRS_STENCILPASS, D3DSTENCILOP_REPLACE),
                                           ec::renderState(D3DRS_ZWRITEENABLE, FALSE_),
                                           ec::renderState(D3DRS_ALPHABLENDENABLE, TRUE_),
                                           ec::renderState(D3DRS_SRCBLEND, D3DBLEND_ZERO),
                                           ec::renderState(D3DRS_DESTBLEND, D3DBLEND_ONE),
                                           ec::texture(0, 0),
                                           ec::vertexShader(0x212),
                                           ec::streamSource(0, buffer, 40),
                                           ec::drawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2)}));
}

TEST_F(RecordDrawTest, MarkedPaneDepthGoesToTheFarPlane) {
  level.rooms.push_back(record(1, 12));
  const uint32_t buffer = level.rooms[0].vertexBuffer->id();
  const Viewport whole = dev.GetViewport();
  Viewport farPlane = whole;
  farPlane.minZ = farPlane.maxZ = 1.0f;
  dev.clearCalls();
  pushMirrorDepthToFar(scene);
  EXPECT_TRUE(callsEqual(dev.takeCalls(), {ec::renderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL),
                                           ec::renderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP),
                                           ec::renderState(D3DRS_ZFUNC, D3DCMP_ALWAYS),
                                           ec::renderState(D3DRS_ZWRITEENABLE, TRUE_),
                                           ec::getViewport(whole),
                                           ec::setViewport(farPlane),
                                           ec::streamSource(0, buffer, 40),
                                           ec::drawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2),
                                           ec::setViewport(whole),
                                           ec::renderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL)}));
}

TEST_F(RecordDrawTest, ReflectedViewAndGlassRestoreTheView) {
  for (int i = 0; i < 3; ++i) level.rooms.push_back(record(0, 2, i, 0));
  SetupCamera(dev, sim.player.position, sim.player.heading);  // the player's starting view
  const Matrix4 view = dev.GetTransform(D3DTS_VIEW);
  const Matrix4 reflected = matrixMultiply(matrixReflect(Vec3(-100, 0, 600), Vec3(1, 0, 0)), view);

  dev.clearCalls();
  EXPECT_EQ(beginReflectedView(dev), view);
  EXPECT_TRUE(callsEqual(dev.takeCalls(), {ec::getTransform(D3DTS_VIEW, view),
                                           ec::setTransform(D3DTS_VIEW, reflected),
                                           ec::renderState(D3DRS_ZWRITEENABLE, TRUE_),
                                           ec::renderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL),
                                           ec::renderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP),
                                           ec::renderState(D3DRS_SRCBLEND, D3DBLEND_DESTCOLOR),
                                           ec::renderState(D3DRS_DESTBLEND, D3DBLEND_ZERO),
                                           ec::renderState(D3DRS_CULLMODE, D3DCULL_CW)}));
  // A world point seen in the mirror is where its mirror image would be.
  EXPECT_EQ(dev.GetTransform(D3DTS_VIEW), reflected);

  dev.clearCalls();
  drawGlass(scene, view);
  const auto calls = dev.takeCalls();
  EXPECT_TRUE(callsEqual(slice(calls, 0, 5), {ec::renderState(D3DRS_CULLMODE, D3DCULL_CCW),
                                              ec::setTransform(D3DTS_VIEW, view),
                                              ec::renderState(D3DRS_ALPHABLENDENABLE, TRUE_),
                                              ec::renderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA),
                                              ec::renderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA)}));
  // Then the pane as glass: record 0 with index roomCount (3), so the last
  // light map; and stencil testing ends with the mirror.
  const auto pane = drawCalls(level.rooms[0], 3, 0, 1);
  EXPECT_TRUE(callsEqual(slice(calls, 5, calls.size() - 1), pane));
  EXPECT_TRUE(sameCall(calls.back(), ec::renderState(D3DRS_STENCILENABLE, FALSE_)));
  EXPECT_EQ(dev.GetTransform(D3DTS_VIEW), view);
}

TEST_F(RecordDrawTest, MirrorBlocksWithoutRoomsDrawNothing) {
  dev.clearCalls();
  markMirrorStencil(scene);
  pushMirrorDepthToFar(scene);
  drawGlass(scene, Matrix4::identity());
  EXPECT_EQ(countKind(dev.calls(), CallKind::DrawPrimitive), 0u);
}

}  // namespace cog
