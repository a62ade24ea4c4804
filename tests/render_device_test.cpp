// The recording device itself, and the device start-up, lights and camera
// recorded through it.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <system_error>
#include <unistd.h>

#include "level/mesh_record.h"
#include "render/camera.h"
#include "render/device_setup.h"
#include "render/lights.h"
#include "render/rec/recording_device.h"
#include "sim/state.h"
#include "support/recording_checks.h"
#include "support/test_game.h"

namespace cog {

namespace ec = expect_call;
namespace fs = std::filesystem;

namespace {

std::string fixture(const std::string& name) { return std::string(COGSTORM_TEST_DATA) + "/images/" + name; }

}  // namespace

TEST(RecordingDevice, KeepsTheCurrentFrameByDefault) {
  RecordingDevice dev;
  dev.SetRenderState(RenderState::ZEnable, 1);
  dev.Clear(ClearFlags::Target | ClearFlags::ZBuffer, 0xFF000000u, 1.0f, 0);
  dev.BeginScene();
  dev.DrawPrimitive(PrimitiveType::TriangleList, 0, 3);
  EXPECT_TRUE(callsEqual(dev.calls(), {ec::clear(ClearFlags::Target | ClearFlags::ZBuffer, 0xFF000000u, 1.0f, 0), ec::beginScene(),
                                       ec::drawPrimitive(PrimitiveType::TriangleList, 0, 3)}));
  dev.EndScene();
  EXPECT_EQ(dev.Present(), kOk);
  dev.BeginScene();  // no Clear this time: nothing of the last frame stays
  EXPECT_TRUE(callsEqual(dev.calls(), {ec::beginScene()}));
}

TEST(RecordingDevice, KeepEverythingOrNothing) {
  RecordingDevice dev;
  dev.setKeep(RecordingDevice::Keep::Everything);
  for (int frame = 0; frame < 3; ++frame) {
    dev.BeginScene();
    dev.EndScene();
  }
  EXPECT_EQ(dev.calls().size(), 6u);
  EXPECT_EQ(dev.takeCalls().size(), 6u);
  EXPECT_TRUE(dev.calls().empty());

  dev.setRecording(false);
  const Matrix4 m = matrixTranslation(1, 2, 3);
  dev.SetTransform(TransformKind::View, m);
  dev.BeginScene();
  EXPECT_TRUE(dev.calls().empty());
  EXPECT_EQ(dev.GetTransform(TransformKind::View), m);  // state is kept all the same
  dev.setRecording(true);
  dev.SetVertexShader(kMeshFvf);
  EXPECT_EQ(dev.calls().size(), 1u);
}

TEST(RecordingDevice, TransformsStartAsIdentityAndReadBackPerKind) {
  RecordingDevice dev;
  for (TransformKind kind : {TransformKind::World, TransformKind::View, TransformKind::Projection})
    EXPECT_EQ(dev.GetTransform(kind), Matrix4::identity());
  dev.SetTransform(TransformKind::World, matrixTranslation(1, 0, 0));
  dev.SetTransform(TransformKind::View, matrixTranslation(0, 2, 0));
  dev.SetTransform(TransformKind::Projection, matrixTranslation(0, 0, 3));
  EXPECT_EQ(dev.GetTransform(TransformKind::World), matrixTranslation(1, 0, 0));
  EXPECT_EQ(dev.GetTransform(TransformKind::View), matrixTranslation(0, 2, 0));
  EXPECT_EQ(dev.GetTransform(TransformKind::Projection), matrixTranslation(0, 0, 3));
  // Reads are recorded with what they returned.
  EXPECT_TRUE(sameCall(dev.calls().back(), ec::getTransform(TransformKind::Projection, matrixTranslation(0, 0, 3))));
}

TEST(RecordingDevice, BuffersAndTexturesGetDistinctIds) {
  RecordingDevice dev;
  std::string error;
  const MeshVertex v[3] = {};
  auto b1 = dev.CreateVertexBuffer(v, sizeof v, kMeshFvf, error);
  auto b2 = dev.CreateVertexBuffer(v, 40, kMeshFvf, error);
  ASSERT_TRUE(b1 && b2);
  EXPECT_NE(b1->id(), b2->id());
  EXPECT_NE(b1->id(), 0u);
  EXPECT_EQ(b1->length(), 120u);
  EXPECT_EQ(b2->length(), 40u);
  EXPECT_EQ(dev.buffersCreated(), 2u);
  EXPECT_EQ(dev.CreateVertexBuffer(nullptr, 40, kMeshFvf, error), nullptr);
  EXPECT_FALSE(error.empty());

  auto t1 = dev.CreateTextureFromFile(fixture("good.bmp"), error);
  auto t2 = dev.CreateTextureFromFile(fixture("good.jpg"), error);
  ASSERT_TRUE(t1 && t2) << error;
  EXPECT_NE(t1->id(), t2->id());
  EXPECT_EQ(t1->width(), 4);
  EXPECT_EQ(t2->height(), 8);
  EXPECT_EQ(dev.textureFileName(t2->id()), fixture("good.jpg"));
  EXPECT_TRUE(callsEqual(onlyKinds(dev.calls(), {CallKind::CreateTexture}),
                         {[&] {
                            RecordedCall c;
                            c.kind = CallKind::CreateTexture;
                            c.a = t1->id();
                            c.b = 4;
                            c.c = 3;
                            return c;
                          }(),
                          [&] {
                            RecordedCall c;
                            c.kind = CallKind::CreateTexture;
                            c.a = t2->id();
                            c.b = 16;
                            c.c = 8;
                            return c;
                          }()}));

  // A texture fails exactly as decoding the file does.
  error.clear();
  EXPECT_EQ(dev.CreateTextureFromFile(fixture("truncated.png"), error), nullptr);
  EXPECT_NE(error.find("truncated.png"), std::string::npos);
  EXPECT_NE(error.find("truncated"), std::string::npos);
  EXPECT_EQ(dev.texturesCreated(), 2u);
}

TEST(RecordingDevice, DescribesCallsInOneLine) {
  EXPECT_EQ(describeCall(ec::renderState(RenderState::AlphaBlendEnable, 1)), "SetRenderState(27, 1)");
  EXPECT_EQ(describeCall(ec::texture(1, 0)), "SetTexture(1, none)");
  EXPECT_EQ(describeCall(ec::texture(0, 7)), "SetTexture(0, tex 7)");
  EXPECT_EQ(describeCall(ec::vertexShader(0x212)), "SetVertexShader(0x00000212)");
  EXPECT_EQ(describeCall(ec::drawPrimitive(PrimitiveType::TriangleStrip, 0, 2)), "DrawPrimitive(5, 0, 2)");
  EXPECT_EQ(describeCall(ec::setTransform(TransformKind::View, matrixTranslation(0, 0, -50))),
            "SetTransform(2, [1 0 0 0; 0 1 0 0; 0 0 1 0; 0 0 -50 1])");
  EXPECT_EQ(describeCalls({ec::beginScene(), ec::endScene()}), "0: BeginScene()\n1: EndScene()\n");
}

namespace {

// Runs in a fresh working folder holding the given base textures.
class DeviceSetupTest : public GameTest {
 protected:
  void SetUp() override {
    old_ = fs::current_path();
    dir_ = fs::temp_directory_path() / ("cogstorm_render_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    fs::current_path(dir_);
    dev.realTextures = true;  // the images are read as the game reads them
    dev.setKeep(RecordingDevice::Keep::Everything);
  }
  void TearDown() override {
    fs::current_path(old_);
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  void put(const std::string& fixtureName, const std::string& as) {
    fs::copy_file(fixture(fixtureName), dir_ / as, fs::copy_options::overwrite_existing);
  }

  fs::path old_, dir_;
};

std::vector<RecordedCall> expectedLights(const Vec3& player) {
  return {ec::setLight(0, pointLightAt(Vec3(50, 50, 320))), ec::lightEnable(0, true),
          ec::renderState(RenderState::Lighting, true), ec::renderState(RenderState::Ambient, 0xFF404040u),
          ec::setLight(1, pointLightAt(player)), ec::lightEnable(1, true)};
}

}  // namespace

TEST_F(DeviceSetupTest, StartUpStatesLightsThenTheTwoTextures) {
  put("good.bmp", "blank.bmp");
  put("good.png", "sky2.bmp");  // any format, whatever the name
  Result<BaseTextures> base = initDevice(dev, sim.player.position);
  ASSERT_TRUE(base.ok()) << base.message();
  game.textures = std::move(base.value());
  const auto calls = dev.calls();
  std::vector<RecordedCall> expected = {ec::renderState(RenderState::CullMode, Cull::CounterClockwise),
                                        ec::renderState(RenderState::MultisampleAntialias, true),
                                        ec::renderState(RenderState::ZEnable, true)};
  for (const auto& c : expectedLights(Vec3(0, 0, 50))) expected.push_back(c);
  EXPECT_TRUE(callsEqual(slice(calls, 0, expected.size()), expected));
  ASSERT_EQ(calls.size(), expected.size() + 2);
  ASSERT_TRUE(game.textures.blank && game.textures.sky);
  EXPECT_EQ(dev.textureFileName(game.textures.blank->id()), "blank.bmp");
  EXPECT_EQ(dev.textureFileName(game.textures.sky->id()), "sky2.bmp");

  // The lights as a whole: white point lights of range 1000, no falloff.
  const Light& l0 = calls[3].light();
  EXPECT_EQ(l0.type, LightType::Point);
  EXPECT_TRUE(l0.diffuse == (ColorValue{1, 1, 1, 0}));
  EXPECT_TRUE(l0.specular == ColorValue{} && l0.ambient == ColorValue{});
  EXPECT_EQ(l0.range, 1000.0f);
  EXPECT_EQ(l0.attenuation0, 1.0f);
  EXPECT_EQ(l0.attenuation1, 0.0f);
  EXPECT_EQ(l0.attenuation2, 0.0f);
  EXPECT_EQ(l0.falloff, 0.0f);

  game.shutdown();
  EXPECT_FALSE(game.textures.blank || game.textures.sky);
}

TEST_F(DeviceSetupTest, MissingSkyFailsAfterTheBlankTextureExists) {
  put("good.bmp", "blank.bmp");
  Result<BaseTextures> base = initDevice(dev, sim.player.position);
  EXPECT_FALSE(base.ok());
  // The blank texture was made (texture 1), the sky was not.
  EXPECT_EQ(dev.texturesCreated(), 1u);
  EXPECT_EQ(dev.textureFileName(1), "blank.bmp");
  EXPECT_EQ(base.message().rfind("sky2.bmp: ", 0), 0u) << base.message();
}

TEST_F(DeviceSetupTest, BrokenBlankFailsWithItsName) {
  put("truncated.bmp", "blank.bmp");
  put("good.bmp", "sky2.bmp");
  Result<BaseTextures> base = initDevice(dev, sim.player.position);
  EXPECT_FALSE(base.ok());
  EXPECT_EQ(dev.texturesCreated(), 0u);  // no blank texture
  EXPECT_NE(base.message().find("blank.bmp: truncated"), std::string::npos) << base.message();
}

TEST_F(DeviceSetupTest, LightOneFollowsThePlayer) {
  sim.player.position = Vec3(-300.0f, 0.0f, 1234.5f);
  dev.clearCalls();
  SetupLights(dev, sim.player.position);
  EXPECT_TRUE(callsEqual(dev.calls(), expectedLights(Vec3(-300.0f, 0.0f, 1234.5f))));
}

TEST_F(DeviceSetupTest, CameraSetsWorldViewProjectionInOrder) {
  sim.player.position = Vec3(10.0f, 0.0f, 20.0f);
  sim.player.heading = 90.0f;
  dev.clearCalls();
  SetupCamera(dev, sim.player.position, sim.player.heading);
  EXPECT_TRUE(callsEqual(dev.calls(), {ec::setTransform(TransformKind::World, Matrix4::identity()),
                                       ec::setTransform(TransformKind::View, playerViewMatrix(sim.player.position, sim.player.heading)),
                                       ec::setTransform(TransformKind::Projection, projectionMatrix())}));
  // The target is one unit ahead at height 0: here along +x.
  const Matrix4& view = dev.calls()[1].matrix();
  EXPECT_NEAR(view.m[0][2], 1.0f, 1e-6f);  // x maps onto the view's depth axis
  EXPECT_NEAR(view.m[3][2], -10.0f, 1e-4f);
}

}  // namespace cog
