// The OpenGL device on a real (software) GL: what each translated state
// puts on the screen, read back pixel by pixel, and one whole game frame.

#include <gtest/gtest.h>
#include <unistd.h>

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <memory>
#include <string>
#include <vector>

#include "game/game_tick.h"
#include "game/game.h"
#include "audio/rec/silent_engine.h"
#include "audio/sound.h"
#include "render/gl/gl_device.h"
#include "sim/state.h"
#include "support/arena.h"
#include "support/gl_context.h"

namespace cog {

namespace fs = std::filesystem;

namespace {

struct Vertex {
  float x, y, z;
  float nx, ny, nz;
  float u0, v0;
  float u1, v1;
};
static_assert(sizeof(Vertex) == kMeshVertexStride);

constexpr int kSize = GlTestContext::kSize;

// A quad from (x0, y0) to (x1, y1) at depth z, facing the viewer (normal
// towards -z), as a strip bottom-left, top-left, bottom-right, top-right.
std::vector<Vertex> quad(float x0, float y0, float x1, float y1, float z) {
  return {
      {x0, y0, z, 0, 0, -1, 0, 1, 0, 1},
      {x0, y1, z, 0, 0, -1, 0, 0, 0, 0},
      {x1, y0, z, 0, 0, -1, 1, 1, 1, 1},
      {x1, y1, z, 0, 0, -1, 1, 0, 1, 0},
  };
}

// The same quad wound the other way: bottom-left, bottom-right, top-left,
// top-right.
std::vector<Vertex> backQuad(float x0, float y0, float x1, float y1, float z) {
  std::vector<Vertex> v = quad(x0, y0, x1, y1, z);
  std::swap(v[1], v[2]);
  return v;
}

uint8_t red(uint32_t argb) { return static_cast<uint8_t>(argb >> 16); }
uint8_t green(uint32_t argb) { return static_cast<uint8_t>(argb >> 8); }
uint8_t blue(uint32_t argb) { return static_cast<uint8_t>(argb); }

// Window pixel of a clip-space point under an identity projection.
int columnOf(float x) { return static_cast<int>((x + 1.0f) * 0.5f * kSize); }
int rowOf(float y) { return static_cast<int>((1.0f - y) * 0.5f * kSize); }

::testing::AssertionResult colorNear(uint32_t actual, int r, int g, int b, int tolerance = 2) {
  const int dr = red(actual) - r, dg = green(actual) - g, db = blue(actual) - b;
  if (std::abs(dr) <= tolerance && std::abs(dg) <= tolerance && std::abs(db) <= tolerance)
    return ::testing::AssertionSuccess();
  char buf[128];
  std::snprintf(buf, sizeof buf, "pixel (%d, %d, %d) is not within %d of (%d, %d, %d)", red(actual), green(actual),
                blue(actual), tolerance, r, g, b);
  return ::testing::AssertionFailure() << buf;
}

class GlDeviceTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    context = new GlTestContext;
    if (!context->create(contextError)) {
      delete context;
      context = nullptr;
    }
    scratch = fs::temp_directory_path() / ("cogstorm-gl-test-" + std::to_string(getpid()));
    fs::create_directories(scratch);
  }
  static void TearDownTestSuite() {
    delete context;
    context = nullptr;
    std::error_code ignored;
    fs::remove_all(scratch, ignored);
  }

  void SetUp() override {
    ASSERT_NE(context, nullptr) << "no GL context for the GL device tests: " << contextError;
    dev = std::make_unique<GlDevice>([] { context->swap(); });
    ASSERT_TRUE(dev->usable()) << dev->problem() << " (" << context->rendererName() << ")";
    dev->SetTransform(TransformKind::Projection, Matrix4::identity());
    // The states the game's own frames start from.
    dev->SetRenderState(RenderState::Lighting, false);
    stage0(TextureOp::SelectArg1, TextureArg::Texture);
    dev->Clear(ClearFlags::Target | ClearFlags::ZBuffer | ClearFlags::Stencil, 0xFF000000u, 1.0f, 0);
  }

  void TearDown() override {
    buffers.clear();
    textures.clear();
    dev.reset();
    if (context != nullptr) {
      EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
  }

  void stage0(TextureOp op, TextureArg arg) {
    dev->SetTextureStageState(0, TextureStageState::ColorOp, op);
    dev->SetTextureStageState(0, TextureStageState::ColorArg1, arg);
    dev->SetTextureStageState(0, TextureStageState::AlphaOp, op);
    dev->SetTextureStageState(0, TextureStageState::AlphaArg1, arg);
  }

  // A texture of one colour, made from a PNG file.
  const Texture* solidTexture(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255, int side = 8) {
    std::vector<uint8_t> pixels;
    for (int i = 0; i < side * side; ++i) pixels.insert(pixels.end(), {r, g, b, a});
    const std::string path = (scratch / ("tex" + std::to_string(textures.size()) + ".png")).string();
    std::string error;
    EXPECT_TRUE(writePng(path, side, side, pixels, error)) << error;
    std::unique_ptr<Texture> texture = dev->CreateTextureFromFile(path, error);
    EXPECT_NE(texture, nullptr) << error;
    textures.push_back(std::move(texture));
    return textures.back().get();
  }

  const VertexBuffer* buffer(const std::vector<Vertex>& vertices) {
    std::string error;
    auto vb = dev->CreateVertexBuffer(vertices.data(), static_cast<uint32_t>(vertices.size() * sizeof(Vertex)),
                                      kMeshFvf, error);
    EXPECT_NE(vb, nullptr) << error;
    buffers.push_back(std::move(vb));
    return buffers.back().get();
  }

  void drawStrip(const std::vector<Vertex>& vertices) {
    dev->SetStreamSource(0, buffer(vertices), kMeshVertexStride);
    dev->SetVertexShader(kMeshFvf);
    dev->DrawPrimitive(PrimitiveType::TriangleStrip, 0, static_cast<uint32_t>(vertices.size() - 2));
  }

  uint32_t at(float x, float y) const { return context->pixel(columnOf(x), rowOf(y)); }

  static GlTestContext* context;
  static std::string contextError;
  static fs::path scratch;
  std::unique_ptr<GlDevice> dev;
  std::vector<std::unique_ptr<Texture>> textures;
  std::vector<std::unique_ptr<VertexBuffer>> buffers;
};

GlTestContext* GlDeviceTest::context = nullptr;
std::string GlDeviceTest::contextError;
fs::path GlDeviceTest::scratch;

}  // namespace

TEST_F(GlDeviceTest, ClearFillsWhatItsFlagsName) {
  dev->Clear(ClearFlags::Target, 0xFF3366CCu, 1.0f, 0);
  EXPECT_TRUE(colorNear(context->pixel(0, 0), 0x33, 0x66, 0xCC, 0));
  EXPECT_TRUE(colorNear(context->pixel(kSize - 1, kSize - 1), 0x33, 0x66, 0xCC, 0));

  // Depth cleared to 0.2 even while depth writes are off: a quad at 0.5
  // then fails the depth test.
  dev->SetRenderState(RenderState::ZWriteEnable, false);
  dev->SetTexture(0, solidTexture(255, 255, 0));
  drawStrip(quad(-1, -1, 0, 1, 0.5f));  // the states are now in GL
  dev->Clear(ClearFlags::Target | ClearFlags::ZBuffer, 0xFF000000u, 0.2f, 0);
  drawStrip(quad(-1, -1, 1, 1, 0.5f));
  EXPECT_TRUE(colorNear(at(0.5f, 0.5f), 0, 0, 0, 0));

  // A target-only clear leaves depth alone.
  dev->Clear(ClearFlags::Target, 0xFF0000FFu, 1.0f, 0);
  drawStrip(quad(-1, -1, 1, 1, 0.5f));
  EXPECT_TRUE(colorNear(at(0.5f, 0.5f), 0, 0, 255, 0));

  // Nothing named: nothing changes.
  dev->Clear(ClearFlags{0}, 0xFFFFFFFFu, 1.0f, 0);
  EXPECT_TRUE(colorNear(at(0.5f, 0.5f), 0, 0, 255, 0));

  dev->BeginScene();
  dev->EndScene();
  EXPECT_EQ(dev->Present(), kOk);
}

TEST_F(GlDeviceTest, TexturesThroughTheStages) {
  // Stage 0 shows its texture as it is, however the scene is lit.
  dev->SetRenderState(RenderState::Lighting, true);
  dev->SetRenderState(RenderState::Ambient, 0xFF404040u);
  dev->SetTexture(0, solidTexture(200, 100, 50));
  drawStrip(quad(-1, -1, 0, 1, 0.5f));
  EXPECT_TRUE(colorNear(at(-0.5f, 0.0f), 200, 100, 50));
  EXPECT_TRUE(colorNear(at(0.5f, 0.0f), 0, 0, 0, 0));

  // Stage 1 multiplies in a grey light map.
  dev->SetTexture(1, solidTexture(128, 128, 128));
  dev->SetTextureStageState(1, TextureStageState::ColorArg1, TextureArg::Texture);
  dev->SetTextureStageState(1, TextureStageState::ColorOp, TextureOp::Modulate);
  dev->SetTextureStageState(1, TextureStageState::ColorArg2, TextureArg::Current);
  dev->SetTextureStageState(1, TextureStageState::AlphaOp, TextureOp::Disable);
  drawStrip(quad(0, -1, 1, 1, 0.5f));
  EXPECT_TRUE(colorNear(at(0.5f, 0.0f), 100, 50, 25));

  // Stage 1 disabled again: the base texture alone.
  dev->SetTextureStageState(1, TextureStageState::ColorOp, TextureOp::Disable);
  drawStrip(quad(0, -1, 1, 0, 0.4f));
  EXPECT_TRUE(colorNear(at(0.5f, -0.5f), 200, 100, 50));
  EXPECT_TRUE(colorNear(at(0.5f, 0.5f), 100, 50, 25));

  // Disabling stage 0 switches stage 1 off too: the unlit diffuse, white,
  // even though stage 1 would multiply by grey.
  dev->SetRenderState(RenderState::Lighting, false);
  dev->SetTextureStageState(1, TextureStageState::ColorOp, TextureOp::Modulate);
  dev->SetTextureStageState(0, TextureStageState::ColorOp, TextureOp::Disable);
  drawStrip(quad(-1, 0, 0, 1, 0.3f));
  EXPECT_TRUE(colorNear(at(-0.5f, 0.5f), 255, 255, 255));

  // A stage reading a texture with none bound reads opaque white: stage 0
  // on nothing, stage 1's grey light map over it.
  dev->SetTextureStageState(0, TextureStageState::ColorOp, TextureOp::SelectArg1);
  dev->SetTexture(0, nullptr);
  drawStrip(quad(-1, -1, 0, 0, 0.3f));
  EXPECT_TRUE(colorNear(at(-0.5f, -0.5f), 128, 128, 128));
}

TEST_F(GlDeviceTest, TexturesKeepTheirOrientationAndRepeat) {
  // 64 x 64: the top half red, the bottom half blue, except the right half
  // of the bottom, green.
  std::vector<uint8_t> pixels;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      if (y < 32)
        pixels.insert(pixels.end(), {255, 0, 0, 255});
      else if (x < 32)
        pixels.insert(pixels.end(), {0, 0, 255, 255});
      else
        pixels.insert(pixels.end(), {0, 255, 0, 255});
    }
  const std::string path = (scratch / "quarters.png").string();
  std::string error;
  ASSERT_TRUE(writePng(path, 64, 64, pixels, error)) << error;
  std::unique_ptr<Texture> texture = dev->CreateTextureFromFile(path, error);
  ASSERT_NE(texture, nullptr) << error;
  EXPECT_EQ(texture->width(), 64);
  EXPECT_EQ(texture->height(), 64);
  dev->SetTexture(0, texture.get());

  // v = 0 is the top of the image.
  drawStrip(quad(-1, 0, 0, 1, 0.5f));
  EXPECT_TRUE(colorNear(at(-0.5f, 0.85f), 255, 0, 0));
  EXPECT_TRUE(colorNear(at(-0.75f, 0.15f), 0, 0, 255));
  EXPECT_TRUE(colorNear(at(-0.25f, 0.15f), 0, 255, 0));

  // Coordinates past 1 repeat the image: u from 0 to 2 shows it twice.
  std::vector<Vertex> twice = quad(-1, -1, 1, 0, 0.5f);
  for (Vertex& v : twice) v.u0 *= 2.0f;
  drawStrip(twice);
  EXPECT_TRUE(colorNear(at(-0.75f, -0.85f), 0, 0, 255));
  EXPECT_TRUE(colorNear(at(-0.25f, -0.85f), 0, 255, 0));
  EXPECT_TRUE(colorNear(at(0.25f, -0.85f), 0, 0, 255));
  EXPECT_TRUE(colorNear(at(0.75f, -0.85f), 0, 255, 0));
  dev->SetTexture(0, nullptr);
}

TEST_F(GlDeviceTest, AFreedTextureIsNeverSampled) {
  dev->SetTexture(0, solidTexture(10, 200, 10));
  drawStrip(quad(-1, -1, 0, 1, 0.5f));
  EXPECT_TRUE(colorNear(at(-0.5f, 0.0f), 10, 200, 10));
  textures.clear();  // still set on stage 0
  drawStrip(quad(0, -1, 1, 1, 0.5f));
  EXPECT_TRUE(colorNear(at(0.5f, 0.0f), 255, 255, 255));
}

// Textures and buffers kept past their device (the base textures after
// shut-down): the device frees their GL names while its context is current.
TEST_F(GlDeviceTest, TheDeviceFreesWhatOutlivesIt) {
  solidTexture(1, 2, 3);
  buffer(quad(-1, -1, 1, 1, 0.5f));
  const GLuint textureName = dynamic_cast<const DeviceTexture&>(*textures.back()).name();
  const GLuint bufferName = dynamic_cast<const DeviceVertexBuffer&>(*buffers.back()).name();
  ASSERT_TRUE(glIsTexture(textureName));
  ASSERT_TRUE(glIsBuffer(bufferName));
  dev.reset();
  EXPECT_FALSE(glIsTexture(textureName));
  EXPECT_FALSE(glIsBuffer(bufferName));
}

// The liveness token: while the device lives a freed resource is forgotten
// and deletes its name; the device deletes the rest once as it goes; after
// that a freed resource makes no call at all (its context may be gone).
TEST(ResourceRegistry, NamesAreDeletedOnceWhileTheDeviceLivesAndNeverAfter) {
  using Kind = ResourceRegistry::Kind;
  std::vector<std::pair<Kind, uint32_t>> forgotten, deleted;
  auto registry = std::make_shared<ResourceRegistry>(
      [&](Kind kind, uint32_t name) { forgotten.emplace_back(kind, name); },
      [&](Kind kind, uint32_t name) { deleted.emplace_back(kind, name); });
  auto kept = std::make_unique<DeviceTexture>(registry, 7, 1, 1, 1);
  auto freed = std::make_unique<DeviceTexture>(registry, 8, 2, 1, 1);
  auto buffer = std::make_unique<DeviceVertexBuffer>(registry, 7, 1, 40, BoxBounds{});
  freed.reset();
  ASSERT_EQ(forgotten.size(), 1u);
  ASSERT_EQ(deleted.size(), 1u);
  EXPECT_EQ(deleted[0].second, 8u);

  registry->closeDown();  // the device goes
  registry->closeDown();
  EXPECT_EQ(deleted.size(), 3u);
  EXPECT_EQ(registry->liveCount(), 0u);
  kept.reset();  // after the device: no call at all
  buffer.reset();
  EXPECT_EQ(deleted.size(), 3u);
  EXPECT_EQ(forgotten.size(), 1u);
}

TEST_F(GlDeviceTest, BadImageFilesFailWithTheirName) {
  std::string error;
  const std::string missing = (scratch / "no-such.bmp").string();
  EXPECT_EQ(dev->CreateTextureFromFile(missing, error), nullptr);
  EXPECT_NE(error.find(missing), std::string::npos) << error;

  const std::string truncated = std::string(COGSTORM_TEST_DATA) + "/images/truncated.png";
  error.clear();
  EXPECT_EQ(dev->CreateTextureFromFile(truncated, error), nullptr);
  EXPECT_NE(error.find(truncated), std::string::npos) << error;

  error.clear();
  EXPECT_EQ(dev->CreateVertexBuffer(nullptr, 40, kMeshFvf, error), nullptr);
  EXPECT_FALSE(error.empty());
}

TEST_F(GlDeviceTest, Blending) {
  dev->Clear(ClearFlags::Target, 0xFF0000FFu, 1.0f, 0);
  dev->SetTexture(0, solidTexture(255, 0, 0, 128));
  dev->SetRenderState(RenderState::AlphaBlendEnable, true);
  dev->SetRenderState(RenderState::SrcBlend, Blend::SrcAlpha);
  dev->SetRenderState(RenderState::DestBlend, Blend::InvSrcAlpha);
  drawStrip(quad(-1, -1, 0, 1, 0.5f));
  EXPECT_TRUE(colorNear(at(-0.5f, 0.0f), 128, 0, 127));

  // ONE/ZERO: opaque, whatever the alpha.
  dev->SetRenderState(RenderState::SrcBlend, Blend::One);
  dev->SetRenderState(RenderState::DestBlend, Blend::Zero);
  drawStrip(quad(0, -1, 1, 0, 0.5f));
  EXPECT_TRUE(colorNear(at(0.5f, -0.5f), 255, 0, 0));

  // ZERO/ONE (the mirror's stencil mark): the colour stays as it was.
  dev->SetRenderState(RenderState::SrcBlend, Blend::Zero);
  dev->SetRenderState(RenderState::DestBlend, Blend::One);
  drawStrip(quad(0, 0, 1, 1, 0.4f));
  EXPECT_TRUE(colorNear(at(0.5f, 0.5f), 0, 0, 255, 0));

  // DESTCOLOR/ZERO (the reflection): multiplies what is there.
  dev->SetTexture(0, solidTexture(128, 128, 128));
  dev->SetRenderState(RenderState::SrcBlend, Blend::DestColor);
  dev->SetRenderState(RenderState::DestBlend, Blend::Zero);
  drawStrip(quad(0, -1, 1, 0, 0.3f));
  EXPECT_TRUE(colorNear(at(0.5f, -0.5f), 128, 0, 0));

  // Blending off again: the texture replaces.
  dev->SetRenderState(RenderState::AlphaBlendEnable, false);
  drawStrip(quad(-1, -1, 0, 0, 0.2f));
  EXPECT_TRUE(colorNear(at(-0.5f, -0.5f), 128, 128, 128));
}

TEST_F(GlDeviceTest, DepthTestAndDepthWrites) {
  const Texture* nearRed = solidTexture(255, 0, 0);
  const Texture* farGreen = solidTexture(0, 255, 0);
  // Near first, far second: the near quad stays in front.
  dev->SetTexture(0, nearRed);
  drawStrip(quad(-1, -1, 0, 1, 0.3f));
  dev->SetTexture(0, farGreen);
  drawStrip(quad(-1, -1, 0, 1, 0.6f));
  EXPECT_TRUE(colorNear(at(-0.5f, 0.0f), 255, 0, 0, 0));
  // Equal depth passes (LEQUAL).
  drawStrip(quad(-1, -1, 0, 0, 0.3f));
  EXPECT_TRUE(colorNear(at(-0.5f, -0.5f), 0, 255, 0, 0));

  // Without depth writes the near quad leaves no depth behind.
  dev->SetRenderState(RenderState::ZWriteEnable, false);
  dev->SetTexture(0, nearRed);
  drawStrip(quad(0, -1, 1, 1, 0.3f));
  dev->SetRenderState(RenderState::ZWriteEnable, true);
  dev->SetTexture(0, farGreen);
  drawStrip(quad(0, -1, 1, 1, 0.6f));
  EXPECT_TRUE(colorNear(at(0.5f, 0.0f), 0, 255, 0, 0));

  // Depth testing off (x-ray): later draws cover earlier ones.
  dev->SetRenderState(RenderState::ZEnable, false);
  dev->SetTexture(0, solidTexture(0, 0, 255));
  drawStrip(quad(-1, -1, 1, 1, 0.9f));
  EXPECT_TRUE(colorNear(at(-0.5f, 0.5f), 0, 0, 255, 0));
  EXPECT_TRUE(colorNear(at(0.5f, 0.5f), 0, 0, 255, 0));
}

TEST_F(GlDeviceTest, CullingFollowsTheScreenWinding) {
  dev->SetTexture(0, solidTexture(255, 255, 255));
  // CCW (the default) keeps the game's front faces and drops back faces.
  drawStrip(quad(-1, 0, 0, 1, 0.5f));
  drawStrip(backQuad(0, 0, 1, 1, 0.5f));
  EXPECT_TRUE(colorNear(at(-0.5f, 0.5f), 255, 255, 255, 0));
  EXPECT_TRUE(colorNear(at(0.5f, 0.5f), 0, 0, 0, 0));

  // CW (the reflected pass) is the other way round.
  dev->SetRenderState(RenderState::CullMode, Cull::Clockwise);
  drawStrip(quad(-1, -1, 0, 0, 0.5f));
  drawStrip(backQuad(0, -1, 1, 0, 0.5f));
  EXPECT_TRUE(colorNear(at(-0.5f, -0.5f), 0, 0, 0, 0));
  EXPECT_TRUE(colorNear(at(0.5f, -0.5f), 255, 255, 255, 0));

  // NONE draws both.
  dev->Clear(ClearFlags::Target | ClearFlags::ZBuffer, 0xFF000000u, 1.0f, 0);
  dev->SetRenderState(RenderState::CullMode, Cull::None);
  drawStrip(quad(-1, -1, 0, 1, 0.5f));
  drawStrip(backQuad(0, -1, 1, 1, 0.5f));
  EXPECT_TRUE(colorNear(at(-0.5f, 0.0f), 255, 255, 255, 0));
  EXPECT_TRUE(colorNear(at(0.5f, 0.0f), 255, 255, 255, 0));

  // The game's reflection: the mirrored view reverses the winding and CW
  // culling keeps the mirrored front faces.
  dev->Clear(ClearFlags::Target | ClearFlags::ZBuffer, 0xFF000000u, 1.0f, 0);
  Matrix4 mirror = Matrix4::identity();
  mirror.m[0][0] = -1.0f;
  dev->SetTransform(TransformKind::View, mirror);
  dev->SetRenderState(RenderState::CullMode, Cull::Clockwise);
  drawStrip(quad(0, -1, 1, 1, 0.5f));  // shows on the left
  EXPECT_TRUE(colorNear(at(-0.5f, 0.0f), 255, 255, 255, 0));
  EXPECT_EQ(dev->GetTransform(TransformKind::View), mirror);
}

TEST_F(GlDeviceTest, StencilConfinesTheMirror) {
  dev->Clear(ClearFlags::Target | ClearFlags::ZBuffer | ClearFlags::Stencil, 0xFF000000u, 1.0f, 0);
  // Mark the top left quarter, colour unchanged, as the stencil mark does.
  dev->SetRenderState(RenderState::StencilEnable, true);
  dev->SetRenderState(RenderState::StencilFunc, Compare::Always);
  dev->SetRenderState(RenderState::StencilRef, 1);
  dev->SetRenderState(RenderState::StencilMask, 0xFFFFFFFFu);
  dev->SetRenderState(RenderState::StencilWriteMask, 0xFFFFFFFFu);
  dev->SetRenderState(RenderState::StencilZFail, StencilOp::Keep);
  dev->SetRenderState(RenderState::StencilFail, StencilOp::Keep);
  dev->SetRenderState(RenderState::StencilPass, StencilOp::Replace);
  dev->SetRenderState(RenderState::ZWriteEnable, false);
  dev->SetRenderState(RenderState::AlphaBlendEnable, true);
  dev->SetRenderState(RenderState::SrcBlend, Blend::Zero);
  dev->SetRenderState(RenderState::DestBlend, Blend::One);
  dev->SetTexture(0, nullptr);
  drawStrip(quad(-1, 0, 0, 1, 0.5f));
  EXPECT_TRUE(colorNear(at(-0.5f, 0.5f), 0, 0, 0, 0));

  // Draw everywhere where the stencil equals 1.
  dev->SetRenderState(RenderState::ZWriteEnable, true);
  dev->SetRenderState(RenderState::StencilFunc, Compare::Equal);
  dev->SetRenderState(RenderState::StencilPass, StencilOp::Keep);
  dev->SetRenderState(RenderState::AlphaBlendEnable, false);
  dev->SetTexture(0, solidTexture(0, 255, 255));
  drawStrip(quad(-1, -1, 1, 1, 0.5f));
  EXPECT_TRUE(colorNear(at(-0.5f, 0.5f), 0, 255, 255, 0));
  EXPECT_TRUE(colorNear(at(0.5f, 0.5f), 0, 0, 0, 0));
  EXPECT_TRUE(colorNear(at(-0.5f, -0.5f), 0, 0, 0, 0));

  // The frame clear resets the stencil even under a zero write mask.
  dev->SetRenderState(RenderState::StencilWriteMask, 0);
  drawStrip(quad(-1, -1, 1, 1, 0.5f));  // the mask is now in GL
  dev->Clear(ClearFlags::Target | ClearFlags::ZBuffer | ClearFlags::Stencil, 0xFF000000u, 1.0f, 0);
  drawStrip(quad(-1, -1, 1, 1, 0.5f));
  EXPECT_TRUE(colorNear(at(-0.5f, 0.5f), 0, 0, 0, 0));

  // Stencil testing off: drawn everywhere.
  dev->SetRenderState(RenderState::StencilEnable, false);
  drawStrip(quad(-1, -1, 1, 1, 0.5f));
  EXPECT_TRUE(colorNear(at(0.5f, -0.5f), 0, 255, 255, 0));
}

TEST_F(GlDeviceTest, GlassTakesItsColourFromTheLitMaterial) {
  stage0(TextureOp::SelectArg1, TextureArg::Diffuse);
  dev->SetRenderState(RenderState::Lighting, true);
  dev->SetRenderState(RenderState::Ambient, 0xFF404040u);
  Material glass;
  glass.diffuse = ColorValue{0.0f, 0.0f, 1.0f, 1.0f};
  glass.ambient = ColorValue{1.0f, 1.0f, 1.0f, 1.0f};
  dev->SetMaterial(glass);

  // No light: the ambient level alone (64 of 255) times the material's.
  drawStrip(quad(-1, 0, 0, 1, 0.5f));
  EXPECT_TRUE(colorNear(at(-0.5f, 0.5f), 64, 64, 64));

  // A point light straight in front, without fading: full diffuse.
  Light light;
  light.type = LightType::Point;
  light.diffuse = ColorValue{1.0f, 1.0f, 1.0f, 0.0f};
  light.position = Vec3(0.0f, 0.0f, -1000.0f);
  light.range = 1001.0f;
  light.attenuation0 = 1.0f;
  dev->SetLight(0, light);
  dev->LightEnable(0, true);
  drawStrip(quad(0, 0, 1, 1, 0.5f));
  EXPECT_TRUE(colorNear(at(0.5f, 0.5f), 64, 64, 255));

  // Out of the light's range (the quad's nearest point is 1000.5 away, the
  // range 1000.3):
  // unlit, as though there were no light.
  light.range = 1000.3f;
  dev->SetLight(0, light);
  drawStrip(quad(0, -1, 1, 0, 0.5f));
  EXPECT_TRUE(colorNear(at(0.5f, -0.5f), 64, 64, 64));
  // The world matrix moves the quad into range.
  dev->SetTransform(TransformKind::World, matrixTranslation(0.0f, 0.0f, -0.7f));
  drawStrip(quad(-1, -1, 0, 0, 0.9f));  // 1000.2 away once placed
  EXPECT_TRUE(colorNear(at(-0.5f, -0.5f), 64, 64, 255));
  dev->SetTransform(TransformKind::World, Matrix4::identity());

  // Lights stay in world space when the view moves: a light off to the
  // side lights the same world point the same under two views.
  light.position = Vec3(1.0f, 0.0f, -0.5f);
  dev->SetLight(0, light);
  dev->Clear(ClearFlags::Target | ClearFlags::ZBuffer, 0xFF000000u, 1.0f, 0);
  drawStrip(quad(-0.5f, -0.5f, 0.5f, 0.5f, 0.5f));
  const uint32_t reference = at(0.0f, 0.0f);
  EXPECT_LT(blue(reference), 250);  // lit at a slant
  EXPECT_GT(blue(reference), 100);
  dev->SetTransform(TransformKind::View, matrixTranslation(0.5f, 0.0f, 0.0f));
  dev->Clear(ClearFlags::Target | ClearFlags::ZBuffer, 0xFF000000u, 1.0f, 0);
  drawStrip(quad(-0.5f, -0.5f, 0.5f, 0.5f, 0.5f));
  EXPECT_TRUE(colorNear(at(0.5f, 0.0f), red(reference), green(reference), blue(reference)));

  // The glass's alpha is the material's diffuse alpha.
  glass.diffuse.a = 0.25f;
  dev->SetMaterial(glass);
  dev->SetTransform(TransformKind::View, Matrix4::identity());
  dev->LightEnable(0, false);
  dev->Clear(ClearFlags::Target | ClearFlags::ZBuffer, 0xFFFF0000u, 1.0f, 0);
  dev->SetRenderState(RenderState::AlphaBlendEnable, true);
  dev->SetRenderState(RenderState::SrcBlend, Blend::SrcAlpha);
  dev->SetRenderState(RenderState::DestBlend, Blend::InvSrcAlpha);
  drawStrip(quad(-1, -1, 1, 1, 0.5f));
  EXPECT_TRUE(colorNear(at(0.0f, 0.0f), 64 / 4 + 255 * 3 / 4, 16, 16, 3));

  // Lighting off: the diffuse is opaque white.
  dev->SetRenderState(RenderState::Lighting, false);
  dev->SetRenderState(RenderState::AlphaBlendEnable, false);
  drawStrip(quad(-1, -1, 1, 1, 0.4f));
  EXPECT_TRUE(colorNear(at(0.0f, 0.0f), 255, 255, 255, 0));
}

TEST_F(GlDeviceTest, DrawsThatCannotBeMadeAreSkipped) {
  dev->SetTexture(0, solidTexture(255, 255, 255));
  const VertexBuffer* four = buffer(quad(-1, -1, 1, 1, 0.5f));
  dev->SetStreamSource(0, four, kMeshVertexStride);
  dev->SetVertexShader(kMeshFvf);
  dev->DrawPrimitive(PrimitiveType::TriangleStrip, 0, 0);  // nothing
  dev->DrawPrimitive(PrimitiveType::TriangleStrip, 0, 3);  // five vertices from four
  dev->DrawPrimitive(PrimitiveType::TriangleStrip, 1, 2);
  dev->DrawPrimitive(PrimitiveType::TriangleList, 0, 2);  // six from four
  dev->DrawPrimitive(PrimitiveType::TriangleList, 0xFFFFFFFFu, 0xFFFFFFFFu);
  dev->DrawPrimitive(static_cast<PrimitiveType>(99), 0, 1);
  EXPECT_EQ(dev->skippedDraws(), 6u);
  EXPECT_TRUE(colorNear(at(0.0f, 0.0f), 0, 0, 0, 0));

  dev->DrawPrimitive(PrimitiveType::TriangleStrip, 0, 2);  // exactly the buffer
  EXPECT_EQ(dev->skippedDraws(), 6u);
  EXPECT_TRUE(colorNear(at(0.0f, 0.0f), 255, 255, 255, 0));

  // A freed buffer, or none, is not drawn from.
  buffers.clear();
  dev->DrawPrimitive(PrimitiveType::TriangleStrip, 0, 2);
  dev->SetStreamSource(0, nullptr, kMeshVertexStride);
  dev->DrawPrimitive(PrimitiveType::TriangleStrip, 0, 2);
  EXPECT_EQ(dev->skippedDraws(), 8u);
}

namespace {

double meanDifference(const std::vector<uint8_t>& img, int ax, int ay, int bx, int by, int side) {
  double sum[2][3] = {};
  const int corners[2][2] = {{ax, ay}, {bx, by}};
  for (int k = 0; k < 2; ++k)
    for (int y = corners[k][1]; y < corners[k][1] + side; ++y)
      for (int x = corners[k][0]; x < corners[k][0] + side; ++x)
        for (int c = 0; c < 3; ++c) sum[k][c] += img[(static_cast<size_t>(y) * kSize + x) * 4 + c];
  double difference = 0.0;
  for (int c = 0; c < 3; ++c) difference += std::abs(sum[0][c] - sum[1][c]) / (side * side);
  return difference;
}

// The game started in `folder` on this device: three ticks, then one more
// with the player put at `position` facing `heading`, whose frame is read.
std::vector<uint8_t> playArenaFrame(GlTestContext& context, GlDevice& dev, const std::string& folder,
                                            Vec3 position, float heading, std::string& error) {
  const std::string previousDir = fs::current_path().string();
  if (chdir(folder.c_str()) != 0) {
    error = folder + ": cannot change into it";
    return {};
  }
  SilentAudioEngine engine;
  std::vector<uint8_t> frame;
  Game game;
  if (Status started = game.start(dev, engine); started.ok()) {
    game.audio.startedEffects.clear();
    for (int i = 0; i < 3; ++i) {
      GameTick(game);
      engine.advance(33);
      engine.clearCalls();
    }
    game.sim.player.position = position;
    game.sim.player.heading = heading;
    GameTick(game);  // read before the next swap
    frame = context.readPixels();
  } else {
    error = started.message();
  }
  game.shutdown();
  if (chdir(previousDir.c_str()) != 0) error = previousDir + ": cannot change back into it";
  return frame;
}

}  // namespace

// The whole game on the arena test level, drawn by GL: floor, walls, a
// robot, and the mirror pane on the left wall.
TEST_F(GlDeviceTest, ArenaFrame) {
  std::string error;
  const std::vector<uint8_t> frame =
      playArenaFrame(*context, *dev, arenaFolder(), Vec3(0.0f, 0.0f, 50.0f), 0.0f, error);
  ASSERT_EQ(frame.size(), static_cast<size_t>(kSize) * kSize * 4) << error;
  ASSERT_TRUE(writePng("/tmp/cogstorm-arena.png", kSize, kSize, frame, error)) << error;

  size_t lit = 0;
  for (size_t i = 0; i < frame.size(); i += 4)
    if (frame[i] > 8 || frame[i + 1] > 8 || frame[i + 2] > 8) ++lit;
  EXPECT_GT(lit, frame.size() / 4 / 2) << "most of the frame is black";
  // The pane (glass over its own wall texture) against the bare wall beside
  // it, at the same height.
  EXPECT_GT(meanDifference(frame, 100, 240, 50, 240, 12), 30.0) << "the mirror looks like the wall it hangs on";

  // Facing the mirror from across the room, the pane in the middle of the
  // view and the wall on either side.
  const std::vector<uint8_t> facing =
      playArenaFrame(*context, *dev, arenaFolder(), Vec3(250.0f, 0.0f, 600.0f), -90.0f, error);
  ASSERT_EQ(facing.size(), frame.size()) << error;
  EXPECT_GT(meanDifference(facing, 236, 236, 20, 236, 40), 30.0) << "the mirror looks like the wall it hangs on";
}

// The arena's pane is a marker record, so that only the stencil mark and
// the glass draw it: the reflected room shows through.
TEST_F(GlDeviceTest, ArenaMirrorReflects) {
  std::string error;
  const std::vector<uint8_t> frame =
      playArenaFrame(*context, *dev, arenaFolder(), Vec3(600.0f, 0.0f, 350.0f), -70.0f, error);
  ASSERT_EQ(frame.size(), static_cast<size_t>(kSize) * kSize * 4) << error;
  ASSERT_TRUE(writePng("/tmp/cogstorm-arena-mirror.png", kSize, kSize, frame, error)) << error;
  // Glass over nothing would be one flat colour; the reflection puts the
  // far wall in the pane's upper part and the floor in its lower part.
  EXPECT_GT(meanDifference(frame, 210, 215, 210, 305, 35), 30.0) << "no reflection in the pane";
  EXPECT_GT(meanDifference(frame, 210, 215, 100, 215, 35), 30.0) << "the mirror looks like the wall it hangs on";
}

}  // namespace cog
