#include "render/mirror_depth.h"

#include "level/level_data.h"
#include "seams/render_device.h"

namespace cog {

void pushMirrorDepthToFar(Scene& scene) {
  RenderDevice& device = scene.device;
  const LevelData& level = scene.level;
  if (level.rooms.empty()) return;  // no pane, nothing was marked
  device.SetRenderState(RenderState::StencilFunc, Compare::Equal);
  device.SetRenderState(RenderState::StencilPass, StencilOp::Keep);
  device.SetRenderState(RenderState::ZFunc, Compare::Always);
  device.SetRenderState(RenderState::ZWriteEnable, true);
  const Viewport whole = device.GetViewport();
  Viewport farPlane = whole;
  farPlane.minZ = 1.0f;
  farPlane.maxZ = 1.0f;
  device.SetViewport(farPlane);
  device.SetStreamSource(0, level.rooms[0].vertexBuffer.get(), kMeshVertexStride);
  device.DrawPrimitive(PrimitiveType::TriangleStrip, 0, 2);
  device.SetViewport(whole);
  device.SetRenderState(RenderState::ZFunc, Compare::LessEqual);
}

}  // namespace cog
