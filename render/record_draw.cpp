#include "render/record_draw.h"

#include <algorithm>

#include "level/level_data.h"
#include "level/mesh_record.h"
#include "seams/render_device.h"
#include "render/draw_flags.h"

namespace cog {

namespace {

// Bad indices draw with no texture or a default material instead of reading
// past the lists; the level reader is expected to have refused them.
const Texture* levelTexture(const LevelData& level, int32_t i) {
  if (i < 0 || i >= static_cast<int32_t>(level.levelTextures.size())) return nullptr;
  return level.levelTextures[static_cast<size_t>(i)].get();
}

// The light map of a record: its own index, clamped to the last light map.
const Texture* lightMapFor(const LevelData& level, int index) {
  const int32_t count = level.lightMapCount();
  if (count <= 0) return nullptr;
  const int32_t i = std::min<int32_t>(std::max(index, 0), count - 1);
  return level.lightMaps[static_cast<size_t>(i)].get();
}

const Material& materialFor(const LevelData& level, int32_t i) {
  static const Material none;
  if (i < 0 || i >= static_cast<int32_t>(level.materials.size())) return none;
  return level.materials[static_cast<size_t>(i)];
}

void setStage0Unlit(RenderDevice& device) {
  device.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device.SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  device.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
}

}  // namespace

void draw(Scene& scene, const MeshRecord& record, int index, int overlay, int glass) {
  RenderDevice& device = scene.device;
  const LevelData& level = scene.level;
  const DrawFlags& drawFlags = scene.flags;
  device.SetMaterial(materialFor(level, record.materialIndex));
  if (overlay == 0) {
    device.SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE_);
    device.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
    device.SetTexture(0, levelTexture(level, record.textureIndex));
    device.SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device.SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
    device.SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    device.SetTexture(1, lightMapFor(level, index));
    if (glass == 1) {
      // The pane takes colour and transparency from its lit material.
      device.SetTexture(0, nullptr);
      device.SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE_);
      device.SetRenderState(D3DRS_ZWRITEENABLE, FALSE_);
      device.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
      device.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
      device.SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
      device.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
      device.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    }
  }
  if (overlay == 1) {
    // The light map alone, multiplied over the reflected room.
    device.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_INVSRCCOLOR);
    device.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_SRCCOLOR);
    device.SetTexture(0, lightMapFor(level, index));
  }
  if (drawFlags.xrayMode && drawFlags.outOfSight) device.SetTexture(0, levelTexture(level, kXrayTextureIndex));
  if (glass == 1) {
    device.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  }
  device.SetStreamSource(0, record.vertexBuffer.get(), kMeshVertexStride);
  device.SetVertexShader(kMeshFvf);
  if (drawFlags.drawingObjects == 1) {
    device.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device.SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  }
  // Even a record of no primitives makes its call; the backend skips it.
  device.DrawPrimitive(record.primitiveType != 0 ? D3DPT_TRIANGLELIST : D3DPT_TRIANGLESTRIP, 0,
                        static_cast<uint32_t>(std::max(record.primitiveCount, 0)));
  if (glass == 1) {
    setStage0Unlit(device);
    device.SetRenderState(D3DRS_ZWRITEENABLE, TRUE_);
  }
}

void applyXrayStates(RenderDevice& device) {
  device.SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE_);
  device.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  device.SetRenderState(D3DRS_ZENABLE, FALSE_);
}

void applyScenePassStages(RenderDevice& device) { setStage0Unlit(device); }

void markMirrorStencil(Scene& scene) {
  RenderDevice& device = scene.device;
  const LevelData& level = scene.level;
  device.SetRenderState(D3DRS_STENCILENABLE, TRUE_);
  device.SetRenderState(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
  device.SetRenderState(D3DRS_STENCILREF, 1);
  device.SetRenderState(D3DRS_STENCILMASK, 0xFFFFFFFFu);
  device.SetRenderState(D3DRS_STENCILWRITEMASK, 0xFFFFFFFFu);
  device.SetRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP);
  device.SetRenderState(D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP);
  device.SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_REPLACE);
  device.SetRenderState(D3DRS_ZWRITEENABLE, FALSE_);
  device.SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE_);
  device.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
  device.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  device.SetTexture(0, nullptr);
  device.SetVertexShader(kMeshFvf);
  // The pane is the first four vertices of room record 0, whatever that
  // record's own primitive type and count. A level without rooms has no
  // pane to mark.
  if (level.rooms.empty()) return;
  device.SetStreamSource(0, level.rooms[0].vertexBuffer.get(), kMeshVertexStride);
  device.DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
}

Matrix4 beginReflectedView(RenderDevice& device) {
  const Matrix4 view = device.GetTransform(D3DTS_VIEW);
  const Matrix4 reflect = matrixReflect(kMirrorPoint, kMirrorNormal);
  device.SetTransform(D3DTS_VIEW, matrixMultiply(reflect, view));
  device.SetRenderState(D3DRS_ZWRITEENABLE, TRUE_);
  device.SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
  device.SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
  device.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_DESTCOLOR);
  device.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
  device.SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);  // the reflection reverses the winding
  return view;
}

void drawGlass(Scene& scene, const Matrix4& savedView) {
  RenderDevice& device = scene.device;
  const LevelData& level = scene.level;
  device.SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
  device.SetTransform(D3DTS_VIEW, savedView);
  device.SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE_);
  device.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  if (!level.rooms.empty()) draw(scene, level.rooms[0], level.roomCount(), 0, 1);
  // The reflection is confined to the pane only while this frame's mirror
  // is drawn: the stencil test must not reach the next frame's scene pass,
  // where the cleared stencil would hide everything.
  device.SetRenderState(D3DRS_STENCILENABLE, FALSE_);
}

}  // namespace cog
