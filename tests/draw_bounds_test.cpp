// The GL-free draw arithmetic the GL devices share: the vertex range check at
// the edge of size_t, buffer boxes, light reach, screen rectangles, and the
// stencil bounds that scissor the mirror's draws.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "render/gpu/draw_bounds.h"
#include "render/gpu/stencil_bounds.h"

namespace cog {
namespace {

constexpr size_t kMax = std::numeric_limits<size_t>::max();

TEST(DrawBounds, VertexRangeFitsOnlyInsideTheBufferAndNeverWraps) {
  struct Case {
    size_t start, vertices, stride, vertexSize, length;
    bool fits;
    const char* what;
  };
  const Case cases[] = {
      {0, 4, 40, 40, 160, true, "exactly the buffer"},
      {0, 5, 40, 40, 160, false, "one vertex past it"},
      {1, 3, 40, 40, 160, true, "the last three"},
      {3, 1, 48, 40, 184, true, "a wide stride: the last vertex needs only its own 40 bytes"},
      {3, 1, 48, 40, 183, false, "one byte short"},
      {0, 0, 40, 40, 160, false, "no vertices"},
      // At the edge of size_t: the largest representable end fits a buffer
      // that long; one more in any term wraps and must not fit.
      {kMax, 1, 1, 0, kMax, true, "last vertex at the largest offset"},
      {kMax, 2, 1, 0, kMax, false, "start + vertices - 1 one past the limit"},
      {kMax / 40, 1, 40, 0, kMax, true, "offset (start * stride) at the limit"},
      {kMax / 40 + 1, 1, 40, 0, kMax, false, "offset one stride past the limit"},
      {kMax - 40, 1, 1, 40, kMax, true, "end at the limit"},
      {kMax - 39, 1, 1, 40, kMax, false, "end one past the limit"},
      {0xFFFFFFFFu, 0xFFFFFFFFu * size_t{3}, 0xFFFFFFFFu, 40, 160, false, "the largest 32-bit draw"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(drawRangeFits(c.start, c.vertices, c.stride, c.vertexSize, c.length), c.fits) << c.what;
}

TEST(DrawBounds, VerticesPerPrimitiveType) {
  EXPECT_EQ(vertexCountOf(PrimitiveType::TriangleList, 2), 6u);
  EXPECT_EQ(vertexCountOf(PrimitiveType::TriangleStrip, 2), 4u);
  EXPECT_EQ(vertexCountOf(PrimitiveType::TriangleList, 0xFFFFFFFFu), uint64_t{0xFFFFFFFFu} * 3);
  EXPECT_EQ(vertexCountOf(PrimitiveType::TriangleStrip, 0), 0u);
  EXPECT_EQ(vertexCountOf(static_cast<PrimitiveType>(99), 1), 0u);
}

TEST(DrawBounds, BoxAroundWholeVerticesOnly) {
  // Two whole vertices and a partial third whose position would widen the box.
  std::vector<float> v(25, 0.0f);
  const float a[3] = {1, -2, 3}, b[3] = {-4, 5, 0.5f};
  for (int i = 0; i < 3; ++i) v[i] = a[i], v[10 + i] = b[i], v[20 + i] = 100.0f;
  const BoxBounds box = positionBounds(v.data(), 2 * 40 + 12);
  ASSERT_TRUE(box.valid);
  EXPECT_EQ(box.min[0], -4.0f);
  EXPECT_EQ(box.min[1], -2.0f);
  EXPECT_EQ(box.min[2], 0.5f);
  EXPECT_EQ(box.max[0], 1.0f);
  EXPECT_EQ(box.max[1], 5.0f);
  EXPECT_EQ(box.max[2], 3.0f);
  EXPECT_FALSE(positionBounds(v.data(), 39).valid);
  EXPECT_FALSE(positionBounds(nullptr, 400).valid);
}

TEST(DrawBounds, LightRangeReachesTheBoxWherePlaced) {
  BoxBounds unit;
  unit.valid = true;
  for (int i = 0; i < 3; ++i) unit.min[i] = -1.0f, unit.max[i] = 1.0f;
  const Matrix4 moved = matrixTranslation(100.0f, 0.0f, 0.0f);
  // The nearest face is at x = 99: range 49 from x = 50 reaches it exactly.
  EXPECT_TRUE(lightRangeReachesBox(unit, moved, Vec3(50.0f, 0.0f, 0.0f), 49.0f));
  EXPECT_FALSE(lightRangeReachesBox(unit, moved, Vec3(50.0f, 0.0f, 0.0f), 48.99f));
  EXPECT_TRUE(lightRangeReachesBox(unit, moved, Vec3(100.0f, 0.5f, 0.0f), 0.0f));  // inside
  EXPECT_FALSE(lightRangeReachesBox(unit, Matrix4::identity(), Vec3(50.0f, 0.0f, 0.0f), 48.99f));
}

TEST(DrawBounds, ScreenRectOfABox) {
  BoxBounds box;
  box.valid = true;
  box.min[0] = -0.5f, box.max[0] = 0.0f;
  box.min[1] = 0.0f, box.max[1] = 0.5f;
  box.min[2] = box.max[2] = 0.5f;
  const Viewport vp{0, 0, 100, 100, 0.0f, 1.0f};
  // Identity projection: NDC -0.5..0 x 0..0.5 is pixels 25..50 x 50..75, one wider.
  const PixelRect r = screenRect(box, Matrix4::identity(), vp, 100);
  EXPECT_EQ(r.x0, 24);
  EXPECT_EQ(r.x1, 51);
  EXPECT_EQ(r.y0, 49);
  EXPECT_EQ(r.y1, 76);
  // Behind the eye (w <= 0), or no box: the whole viewport.
  Matrix4 flip = Matrix4::identity();
  flip.m[3][3] = -1.0f;
  const PixelRect whole = screenRect(box, flip, Viewport{10, 20, 30, 40, 0.0f, 1.0f}, 100);
  EXPECT_EQ(whole.x0, 10);
  EXPECT_EQ(whole.y0, 40);  // rows from the bottom: 100 - 20 - 40
  EXPECT_EQ(whole.x1, 40);
  EXPECT_EQ(whole.y1, 80);
  const PixelRect none = screenRect(BoxBounds{}, Matrix4::identity(), vp, 100);
  EXPECT_EQ(none.x1 - none.x0, 100);
}

TEST(StencilBounds, MirrorDrawsAreScissoredToTheMarkAndSkippedWithoutOne) {
  StencilStates mark;
  mark.enabled = true;
  mark.func = raw(Compare::Always);
  mark.ref = 1;
  mark.mask = mark.writeMask = 0xFFFFFFFFu;
  mark.failOp = mark.zFailOp = raw(StencilOp::Keep);
  mark.passOp = raw(StencilOp::Replace);
  StencilStates reflected = mark;
  reflected.func = raw(Compare::Equal);
  reflected.passOp = raw(StencilOp::Keep);
  const PixelRect paneRect{10, 20, 30, 40};
  const auto pane = [&] { return paneRect; };

  StencilBounds b;
  b.cleared(0, true);
  EXPECT_TRUE(b.beforeDraw(reflected, pane).skip) << "nothing marked yet";
  EXPECT_FALSE(b.beforeDraw(mark, pane).scissor);
  const StencilBounds::Decision d = b.beforeDraw(reflected, [] { return PixelRect{0, 0, 512, 512}; });
  EXPECT_TRUE(d.scissor);
  EXPECT_FALSE(d.skip);
  EXPECT_EQ(d.rect.x0, 10);
  EXPECT_EQ(d.rect.y1, 40);

  // Equal to 0 matches outside the mark, a fail that writes, or a clear
  // that was not whole or not to 0: no limit at all.
  StencilStates zero = reflected;
  zero.ref = 0;
  EXPECT_FALSE(b.beforeDraw(zero, pane).scissor);
  StencilStates failWrites = reflected;
  failWrites.failOp = raw(StencilOp::Replace);
  EXPECT_FALSE(b.beforeDraw(failWrites, pane).scissor);
  b.cleared(0, false);
  EXPECT_FALSE(b.beforeDraw(reflected, pane).skip);
  b.cleared(1, true);
  EXPECT_FALSE(b.known());
}

}  // namespace
}  // namespace cog
