// A paused window shows its last frame again: each GL device keeps the
// frame drawn so far (a multisampled back buffer resolved on the way), and
// the overlay draws it back upright under a card, with the game's states
// untouched by it. Each device on a plain and on a multisampled surface.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>

#include "app/overlay_device.h"
#include "platform/gl_attributes.h"
#include "render/gl/gl_device.h"
#include "render/shader/shader_device.h"
#include "support/gl_context.h"

namespace cog {
namespace {

enum class Which { Compat, Core, Es };

class KeptFrame : public ::testing::TestWithParam<std::tuple<Which, int>> {};

TEST_P(KeptFrame, ThePausedPictureIsTheLastFrameUpright) {
  constexpr int kSize = 64;
  const auto [which, samples] = GetParam();
  GlTestContext context;
  std::string error;
  const GlProfile profile =
      which == Which::Compat ? GlProfile::Compatibility : (which == Which::Core ? GlProfile::Core33 : GlProfile::Es30);
  ASSERT_TRUE(context.create(error, kSize, profile, samples)) << error;
  if (context.surface().samples() != samples) GTEST_SKIP() << "this GL does not grant " << samples << " samples";
  const auto swap = [&context] { context.swap(); };
  std::unique_ptr<RenderDevice> device;
  if (which == Which::Compat)
    device = std::make_unique<GlDevice>(swap);
  else
    device = std::make_unique<ShaderDevice>(which == Which::Core ? GlDialect::Gl33Core : GlDialect::Gles30,
                                            glProcAddress, swap);
  OverlayDevice overlay(*device);
  overlay.setKeepFrames(true);
  // The overlay of the playing frame (a white square at the bottom left)
  // is not kept; the paused picture has the card (a white square) instead.
  bool paused = false;
  overlay.setOverlay([&](const Viewport&) {
    Overlay o;
    o.boxes.push_back(paused ? OverlayBox{16, 40, 8, 8, {1, 1, 1, 1}} : OverlayBox{0, 56, 8, 8, {1, 1, 1, 1}});
    return o;
  });
  // The game's frame: blue, with a red top half.
  overlay.Clear(ClearFlags::Target | ClearFlags::ZBuffer, 0xFF0000FFu, 1.0f, 0);
  overlay.BeginScene();
  Overlay redTop;
  redTop.boxes.push_back({0, 0, float(kSize), float(kSize) / 2, {1, 0, 0, 1}});
  std::unique_ptr<VertexBuffer> buffer;
  ASSERT_TRUE(drawOverlay(overlay, redTop, buffer, error)) << error;
  overlay.EndScene();
  overlay.Present();
  EXPECT_EQ(context.pixel(2, kSize - 3) & 0xFFFFFFu, 0xFFFFFFu) << "the playing frame's overlay";
  // Paused: the kept frame again, under the card, over a back buffer that
  // holds something else.
  paused = true;
  device->Clear(ClearFlags::Target, 0xFF00FF00u, 1.0f, 0);
  overlay.presentKept();
  EXPECT_EQ(context.pixel(2, 2) & 0xFFFFFFu, 0xFF0000u) << std::hex << context.pixel(2, 2);
  EXPECT_EQ(context.pixel(2, kSize - 3) & 0xFFFFFFu, 0x0000FFu) << std::hex << context.pixel(2, kSize - 3);
  EXPECT_EQ(context.pixel(2, kSize / 2 + 2) & 0xFFFFFFu, 0x0000FFu) << std::hex << context.pixel(2, kSize / 2 + 2);
  EXPECT_EQ(context.pixel(20, 44) & 0xFFFFFFu, 0xFFFFFFu) << std::hex << context.pixel(20, 44);
  EXPECT_TRUE(overlay.problem().empty()) << overlay.problem();
}

// Plain, and with 4 samples (llvmpipe grants 4 when asked for 4).
INSTANTIATE_TEST_SUITE_P(Devices, KeptFrame,
                         ::testing::Combine(::testing::Values(Which::Compat, Which::Core, Which::Es),
                                            ::testing::Values(0, 4)),
                         [](const auto& info) {
                           const Which which = std::get<0>(info.param);
                           return std::string(which == Which::Compat ? "Compat" : (which == Which::Core ? "Core" : "Es")) +
                                  (std::get<1>(info.param) > 0 ? "Multisampled" : "");
                         });

}  // namespace
}  // namespace cog
