#pragma once
// GL-free arithmetic about a draw: the box around a vertex buffer, whether a
// light's range reaches it, the pixels it can cover, and whether a draw's
// vertex range lies inside its buffer without the sum or product wrapping.

#include <cstddef>
#include <cstdint>

#include "base/matrix.h"
#include "base/vec3.h"
#include "render/gpu/stencil_bounds.h"
#include "seams/render_device.h"

namespace cog {

// A box around the positions of a vertex buffer, in its own space.
struct BoxBounds {
  float min[3] = {}, max[3] = {};
  bool valid = false;
};

// The box around the positions of the whole 40-byte vertices in `data`.
BoxBounds positionBounds(const void* data, uint32_t lengthBytes);

// Whether any point of `box` (object space, placed by `world`) lies within
// `range` of the light at `at`.
bool lightRangeReachesBox(const BoxBounds& box, const Matrix4& world, const Vec3& at, float range);

// The pixels that `box` can cover under world * view * projection and the
// viewport, one pixel wider all round, in GL window pixels (rows from the
// bottom); the whole viewport when part of the box is behind the eye.
PixelRect screenRect(const BoxBounds& box, const Matrix4& worldViewProjection, const Viewport& vp,
                     uint32_t backBufferHeight);

// How many vertices `primitiveCount` primitives of `type` take; 0 for a
// type the game does not draw.
uint64_t vertexCountOf(PrimitiveType type, uint32_t primitiveCount);

// Whether vertices [startVertex, startVertex + vertices) at `stride` bytes
// apart, each `vertexSize` bytes long, lie inside a buffer of `length`
// bytes. False for no vertices, and whenever the end cannot be represented.
bool drawRangeFits(size_t startVertex, size_t vertices, size_t stride, size_t vertexSize, size_t length);

// Where a clear reaches: the viewport, as Direct3D clears without
// rectangles. `whole` when that covers the back buffer (no scissor needed);
// otherwise the viewport as GL's scissor box, whose rows count from the
// bottom.
struct ClearArea {
  bool whole = true;
  int64_t x = 0, y = 0, width = 0, height = 0;
};
ClearArea clearArea(const Viewport& vp, uint32_t backBufferWidth, uint32_t backBufferHeight);

// A Direct3D clear as GL takes it: what to clear, the values, and where.
struct ClearPlan {
  bool color = false, depth = false, stencil = false;
  float rgba[4] = {};
  float z = 0.0f;          // clamped to 0..1
  int32_t stencilValue = 0;  // the low 8 bits
  ClearArea area;
  bool any() const { return color || depth || stencil; }
};
ClearPlan planClear(ClearFlags flags, uint32_t argb, float z, uint32_t stencil, const Viewport& vp,
                    uint32_t backBufferWidth, uint32_t backBufferHeight);

}  // namespace cog
