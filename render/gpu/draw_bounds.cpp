// Draw bounds: buffer boxes, light reach, screen rectangles and the vertex range check.
#include "render/gpu/draw_bounds.h"

#include "render/gpu/d3d_state.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace cog {

BoxBounds positionBounds(const void* data, uint32_t lengthBytes) {
  BoxBounds b;
  const auto* bytes = static_cast<const uint8_t*>(data);
  for (uint32_t at = 0; bytes != nullptr && at + kMeshVertexStride <= lengthBytes; at += kMeshVertexStride) {
    float p[3];
    std::memcpy(p, bytes + at, sizeof p);
    for (int i = 0; i < 3; ++i) {
      if (!b.valid || p[i] < b.min[i]) b.min[i] = p[i];
      if (!b.valid || p[i] > b.max[i]) b.max[i] = p[i];
    }
    b.valid = true;
  }
  return b;
}

bool lightRangeReachesBox(const BoxBounds& box, const Matrix4& world, const Vec3& at, float range) {
  float lo[3] = {}, hi[3] = {};  // set by the first corner
  for (int c = 0; c < 8; ++c) {
    const float x = (c & 1) ? box.max[0] : box.min[0];
    const float y = (c & 2) ? box.max[1] : box.min[1];
    const float z = (c & 4) ? box.max[2] : box.min[2];
    for (int i = 0; i < 3; ++i) {
      const float w = x * world.m[0][i] + y * world.m[1][i] + z * world.m[2][i] + world.m[3][i];
      if (c == 0 || w < lo[i]) lo[i] = w;
      if (c == 0 || w > hi[i]) hi[i] = w;
    }
  }
  const float p[3] = {at.x, at.y, at.z};
  double d2 = 0.0;
  for (int i = 0; i < 3; ++i) {
    const double d = p[i] < lo[i] ? lo[i] - p[i] : (p[i] > hi[i] ? p[i] - hi[i] : 0.0);
    d2 += d * d;
  }
  return d2 <= static_cast<double>(range) * range;
}

PixelRect screenRect(const BoxBounds& box, const Matrix4& worldViewProjection, const Viewport& vp,
                     uint32_t backBufferHeight) {
  const int vx0 = static_cast<int>(vp.x);
  const int vy0 = static_cast<int>(int64_t{backBufferHeight} - vp.y - vp.height);
  const PixelRect whole{vx0, vy0, vx0 + static_cast<int>(vp.width), vy0 + static_cast<int>(vp.height)};
  if (!box.valid) return whole;
  float lo[2] = {0.0f, 0.0f}, hi[2] = {0.0f, 0.0f};
  const Matrix4& m = worldViewProjection;
  for (int c = 0; c < 8; ++c) {
    const float p[3] = {(c & 1) ? box.max[0] : box.min[0], (c & 2) ? box.max[1] : box.min[1],
                        (c & 4) ? box.max[2] : box.min[2]};
    float clip[4];
    for (int i = 0; i < 4; ++i) clip[i] = p[0] * m.m[0][i] + p[1] * m.m[1][i] + p[2] * m.m[2][i] + m.m[3][i];
    if (!(clip[3] > 1e-6f)) return whole;
    for (int i = 0; i < 2; ++i) {
      const float ndc = clip[i] / clip[3];
      if (c == 0 || ndc < lo[i]) lo[i] = ndc;
      if (c == 0 || ndc > hi[i]) hi[i] = ndc;
    }
  }
  const auto toPixel = [](float ndc, int origin, uint32_t size) {
    return origin + (std::clamp(static_cast<double>(ndc), -2.0, 2.0) + 1.0) * 0.5 * size;
  };
  PixelRect r{static_cast<int>(std::floor(toPixel(lo[0], vx0, vp.width))) - 1,
              static_cast<int>(std::floor(toPixel(lo[1], vy0, vp.height))) - 1,
              static_cast<int>(std::ceil(toPixel(hi[0], vx0, vp.width))) + 1,
              static_cast<int>(std::ceil(toPixel(hi[1], vy0, vp.height))) + 1};
  r.x0 = std::max(r.x0, whole.x0);
  r.y0 = std::max(r.y0, whole.y0);
  r.x1 = std::min(r.x1, whole.x1);
  r.y1 = std::min(r.y1, whole.y1);
  return r;
}

uint64_t vertexCountOf(PrimitiveType type, uint32_t primitiveCount) {
  if (primitiveCount == 0) return 0;
  if (type == PrimitiveType::TriangleList) return uint64_t{primitiveCount} * 3;
  if (type == PrimitiveType::TriangleStrip) return uint64_t{primitiveCount} + 2;
  return 0;
}

bool drawRangeFits(size_t startVertex, size_t vertices, size_t stride, size_t vertexSize, size_t length) {
  if (vertices == 0) return false;
  // The last vertex starts at (startVertex + vertices - 1) * stride and ends
  // vertexSize bytes later; any step that wraps is past every buffer.
  size_t last = 0, offset = 0, end = 0;
  if (__builtin_add_overflow(startVertex, vertices - 1, &last)) return false;
  if (__builtin_mul_overflow(last, stride, &offset)) return false;
  if (__builtin_add_overflow(offset, vertexSize, &end)) return false;
  return end <= length;
}

ClearArea clearArea(const Viewport& vp, uint32_t backBufferWidth, uint32_t backBufferHeight) {
  ClearArea area;
  area.whole = vp.x == 0 && vp.y == 0 && vp.width >= backBufferWidth && vp.height >= backBufferHeight;
  area.x = vp.x;
  area.y = int64_t{backBufferHeight} - vp.y - vp.height;
  area.width = vp.width;
  area.height = vp.height;
  return area;
}

ClearPlan planClear(ClearFlags flags, uint32_t argb, float z, uint32_t stencil, const Viewport& vp,
                    uint32_t backBufferWidth, uint32_t backBufferHeight) {
  ClearPlan plan;
  plan.color = any(flags, ClearFlags::Target);
  plan.depth = any(flags, ClearFlags::ZBuffer);
  plan.stencil = any(flags, ClearFlags::Stencil);
  colorFromArgb(argb, plan.rgba);
  plan.z = std::clamp(z, 0.0f, 1.0f);
  plan.stencilValue = static_cast<int32_t>(stencil & 0xFFu);
  plan.area = clearArea(vp, backBufferWidth, backBufferHeight);
  return plan;
}

}  // namespace cog
