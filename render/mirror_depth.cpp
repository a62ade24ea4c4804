#include "render/mirror_depth.h"

#include "level/level_data.h"
#include "seams/render_device.h"

namespace cog {

void pushMirrorDepthToFar(Scene& scene) {
  RenderDevice& device = scene.device;
  const LevelData& level = scene.level;
  if (level.rooms.empty()) return;  // no pane, nothing was marked
  device.SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
  device.SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
  device.SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
  device.SetRenderState(D3DRS_ZWRITEENABLE, TRUE_);
  const Viewport whole = device.GetViewport();
  Viewport farPlane = whole;
  farPlane.minZ = 1.0f;
  farPlane.maxZ = 1.0f;
  device.SetViewport(farPlane);
  device.SetStreamSource(0, level.rooms[0].vertexBuffer.get(), kMeshVertexStride);
  device.DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
  device.SetViewport(whole);
  device.SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
}

}  // namespace cog
