// The shader device in both of its dialects on real contexts: a GL 3.3 core
// and an OpenGL ES 3.0 context on SDL's offscreen driver each draw a frame
// and report what they are; program variants are made once and reused.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gl_attributes.h"
#include "render/shader/shader_device.h"
#include "support/gl_context.h"

namespace cog {
namespace {

struct Vertex {
  float x, y, z, nx, ny, nz, u0, v0, u1, v1;
};

struct DialectCase {
  GlProfile profile;
  GlDialect dialect;
  const char* versionMentions;
};

void PrintTo(const DialectCase& c, std::ostream* os) { *os << glProfileName(c.profile); }

class ShaderDialects : public ::testing::TestWithParam<DialectCase> {};

TEST_P(ShaderDialects, ARealContextDrawsAFrame) {
  const DialectCase& c = GetParam();
  GlTestContext context;
  std::string error;
  ASSERT_TRUE(context.create(error, 64, c.profile)) << error;
  const GlContextInfo info = currentGlContextInfo();
  EXPECT_NE(info.version.find(c.versionMentions), std::string::npos) << info.version;
  EXPECT_GE(info.stencilBits, 8);

  ShaderDevice dev(c.dialect, glProcAddress, [&context] { context.swap(); });
  ASSERT_TRUE(dev.usable()) << dev.problem();
  const std::vector<Vertex> quad = {{-0.5f, -0.5f, 0.5f, 0, 0, -1, 0, 1, 0, 1},
                                    {-0.5f, 0.5f, 0.5f, 0, 0, -1, 0, 0, 0, 0},
                                    {0.5f, -0.5f, 0.5f, 0, 0, -1, 1, 1, 1, 1},
                                    {0.5f, 0.5f, 0.5f, 0, 0, -1, 1, 0, 1, 0}};
  auto vb = dev.CreateVertexBuffer(quad.data(), static_cast<uint32_t>(quad.size() * sizeof(Vertex)), kMeshFvf, error);
  ASSERT_NE(vb, nullptr) << error;
  // Lit glass-like draw: the diffuse of a red material under a white light.
  Material m;
  m.diffuse = ColorValue{1.0f, 0.0f, 0.0f, 1.0f};
  dev.SetMaterial(m);
  Light light;
  light.type = LightType::Point;
  light.diffuse = ColorValue{1.0f, 1.0f, 1.0f, 0.0f};
  light.position = Vec3(0.0f, 0.0f, -10.0f);
  light.range = 1000.0f;
  light.attenuation0 = 1.0f;
  dev.SetLight(0, light);
  dev.LightEnable(0, true);
  dev.SetTextureStageState(0, TextureStageState::ColorOp, TextureOp::SelectArg1);
  dev.SetTextureStageState(0, TextureStageState::ColorArg1, TextureArg::Diffuse);
  for (int frame = 0; frame < 2; ++frame) {
    dev.Clear(ClearFlags::Target | ClearFlags::ZBuffer | ClearFlags::Stencil, 0xFF0000FFu, 1.0f, 0);
    dev.BeginScene();
    dev.SetStreamSource(0, vb.get(), kMeshVertexStride);
    dev.SetVertexShader(kMeshFvf);
    dev.DrawPrimitive(PrimitiveType::TriangleStrip, 0, 2);
    dev.EndScene();
    if (frame == 1) {
      const uint32_t centre = context.pixel(32, 32), corner = context.pixel(2, 2);
      EXPECT_GE((centre >> 16) & 0xFFu, 250u) << std::hex << centre;  // N.L just under 1
      EXPECT_EQ(centre & 0xFFFFu, 0u) << std::hex << centre;
      EXPECT_EQ(corner & 0xFFFFFFu, 0x0000FFu) << std::hex << corner;
    }
    dev.Present();
  }
  EXPECT_EQ(dev.programsCompiled(), 1u) << "the second frame compiles nothing";
  EXPECT_EQ(dev.skippedDraws(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Contexts, ShaderDialects,
                         ::testing::Values(DialectCase{GlProfile::Core33, GlDialect::Gl33Core, "Core Profile"},
                                           DialectCase{GlProfile::Es30, GlDialect::Gles30, "OpenGL ES 3"}),
                         [](const auto& info) { return info.param.dialect == GlDialect::Gles30 ? "Gles30" : "Gl33Core"; });

}  // namespace
}  // namespace cog
