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
  device.SetTextureStageState(0, TextureStageState::ColorArg1, TextureArg::Texture);
  device.SetTextureStageState(0, TextureStageState::ColorOp, TextureOp::SelectArg1);
  device.SetTextureStageState(0, TextureStageState::AlphaArg1, TextureArg::Texture);
  device.SetTextureStageState(0, TextureStageState::AlphaOp, TextureOp::SelectArg1);
}

}  // namespace

void draw(Scene& scene, const MeshRecord& record, int index, DrawMode mode) {
  RenderDevice& device = scene.device;
  const LevelData& level = scene.level;
  const DrawFlags& drawFlags = scene.flags;
  device.SetMaterial(materialFor(level, record.materialIndex));
  if (mode != DrawMode::Overlay) {
    device.SetRenderState(RenderState::AlphaBlendEnable, true);
    device.SetRenderState(RenderState::SrcBlend, Blend::One);
    device.SetRenderState(RenderState::DestBlend, Blend::Zero);
    device.SetTexture(0, levelTexture(level, record.textureIndex));
    device.SetTextureStageState(1, TextureStageState::ColorArg1, TextureArg::Texture);
    device.SetTextureStageState(1, TextureStageState::ColorOp, TextureOp::Modulate);
    device.SetTextureStageState(1, TextureStageState::ColorArg2, TextureArg::Current);
    device.SetTextureStageState(1, TextureStageState::AlphaOp, TextureOp::Disable);
    device.SetTexture(1, lightMapFor(level, index));
    if (mode == DrawMode::Glass) {
      // The pane takes colour and transparency from its lit material.
      device.SetTexture(0, nullptr);
      device.SetRenderState(RenderState::AlphaBlendEnable, true);
      device.SetRenderState(RenderState::ZWriteEnable, false);
      device.SetTextureStageState(0, TextureStageState::ColorArg1, TextureArg::Diffuse);
      device.SetTextureStageState(0, TextureStageState::ColorOp, TextureOp::SelectArg1);
      device.SetTextureStageState(0, TextureStageState::AlphaArg1, TextureArg::Diffuse);
      device.SetTextureStageState(0, TextureStageState::AlphaOp, TextureOp::SelectArg1);
      device.SetRenderState(RenderState::DestBlend, Blend::InvSrcAlpha);
    }
  }
  if (mode == DrawMode::Overlay) {
    // The light map alone, multiplied over the reflected room.
    device.SetRenderState(RenderState::SrcBlend, Blend::InvSrcColor);
    device.SetRenderState(RenderState::DestBlend, Blend::SrcColor);
    device.SetTexture(0, lightMapFor(level, index));
  }
  if (drawFlags.xrayMode && drawFlags.outOfSight) device.SetTexture(0, levelTexture(level, kXrayTextureIndex));
  if (mode == DrawMode::Glass) {
    device.SetRenderState(RenderState::SrcBlend, Blend::SrcAlpha);
    device.SetRenderState(RenderState::DestBlend, Blend::InvSrcAlpha);
  }
  device.SetStreamSource(0, record.vertexBuffer.get(), kMeshVertexStride);
  device.SetVertexShader(kMeshFvf);
  if (drawFlags.drawingObjects == 1) {
    device.SetTextureStageState(1, TextureStageState::ColorOp, TextureOp::Disable);
    device.SetTextureStageState(1, TextureStageState::AlphaOp, TextureOp::Disable);
  }
  // Even a record of no primitives makes its call; the backend skips it.
  device.DrawPrimitive(record.primitiveType != 0 ? PrimitiveType::TriangleList : PrimitiveType::TriangleStrip, 0,
                        static_cast<uint32_t>(std::max(record.primitiveCount, 0)));
  if (mode == DrawMode::Glass) {
    setStage0Unlit(device);
    device.SetRenderState(RenderState::ZWriteEnable, true);
  }
}

void applyXrayStates(RenderDevice& device) {
  device.SetRenderState(RenderState::AlphaBlendEnable, true);
  device.SetRenderState(RenderState::SrcBlend, Blend::SrcAlpha);
  device.SetRenderState(RenderState::DestBlend, Blend::One);
  device.SetRenderState(RenderState::ZEnable, false);
}

void applyScenePassStages(RenderDevice& device) { setStage0Unlit(device); }

void markMirrorStencil(Scene& scene) {
  RenderDevice& device = scene.device;
  const LevelData& level = scene.level;
  device.SetRenderState(RenderState::StencilEnable, true);
  device.SetRenderState(RenderState::StencilFunc, Compare::Always);
  device.SetRenderState(RenderState::StencilRef, 1);
  device.SetRenderState(RenderState::StencilMask, 0xFFFFFFFFu);
  device.SetRenderState(RenderState::StencilWriteMask, 0xFFFFFFFFu);
  device.SetRenderState(RenderState::StencilZFail, StencilOp::Keep);
  device.SetRenderState(RenderState::StencilFail, StencilOp::Keep);
  device.SetRenderState(RenderState::StencilPass, StencilOp::Replace);
  device.SetRenderState(RenderState::ZWriteEnable, false);
  device.SetRenderState(RenderState::AlphaBlendEnable, true);
  device.SetRenderState(RenderState::SrcBlend, Blend::Zero);
  device.SetRenderState(RenderState::DestBlend, Blend::One);
  device.SetTexture(0, nullptr);
  device.SetVertexShader(kMeshFvf);
  // The pane is the first four vertices of room record 0, whatever that
  // record's own primitive type and count. A level without rooms has no
  // pane to mark.
  if (level.rooms.empty()) return;
  device.SetStreamSource(0, level.rooms[0].vertexBuffer.get(), kMeshVertexStride);
  device.DrawPrimitive(PrimitiveType::TriangleStrip, 0, 2);
}

Matrix4 beginReflectedView(RenderDevice& device) {
  const Matrix4 view = device.GetTransform(TransformKind::View);
  const Matrix4 reflect = matrixReflect(kMirrorPoint, kMirrorNormal);
  device.SetTransform(TransformKind::View, matrixMultiply(reflect, view));
  device.SetRenderState(RenderState::ZWriteEnable, true);
  device.SetRenderState(RenderState::StencilFunc, Compare::Equal);
  device.SetRenderState(RenderState::StencilPass, StencilOp::Keep);
  device.SetRenderState(RenderState::SrcBlend, Blend::DestColor);
  device.SetRenderState(RenderState::DestBlend, Blend::Zero);
  device.SetRenderState(RenderState::CullMode, Cull::Clockwise);  // the reflection reverses the winding
  return view;
}

void drawGlass(Scene& scene, const Matrix4& savedView) {
  RenderDevice& device = scene.device;
  const LevelData& level = scene.level;
  device.SetRenderState(RenderState::CullMode, Cull::CounterClockwise);
  device.SetTransform(TransformKind::View, savedView);
  device.SetRenderState(RenderState::AlphaBlendEnable, true);
  device.SetRenderState(RenderState::SrcBlend, Blend::SrcAlpha);
  device.SetRenderState(RenderState::DestBlend, Blend::InvSrcAlpha);
  if (!level.rooms.empty()) draw(scene, level.rooms[0], level.roomCount(), DrawMode::Glass);
  // The reflection is confined to the pane only while this frame's mirror
  // is drawn: the stencil test must not reach the next frame's scene pass,
  // where the cleared stencil would hide everything.
  device.SetRenderState(RenderState::StencilEnable, false);
}

}  // namespace cog
