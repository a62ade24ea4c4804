// The overlay laid over each presented frame, with the game's states put back afterwards.
#include "app/overlay_device.h"

namespace cog {

namespace {

// Direct3D 8's defaults of the states the overlay sets, for those the game
// never set.
uint32_t defaultRenderState(RenderState state) {
  switch (state) {
    case RenderState::ZEnable: return 1;
    case RenderState::ZWriteEnable: return 1;
    case RenderState::CullMode: return raw(Cull::CounterClockwise);
    case RenderState::SrcBlend: return raw(Blend::One);
    case RenderState::DestBlend: return raw(Blend::Zero);
    case RenderState::Lighting: return 1;
    default: return 0;
  }
}

uint32_t defaultStageState(uint32_t stage, TextureStageState type) {
  switch (type) {
    case TextureStageState::ColorOp: return raw(stage == 0 ? TextureOp::Modulate : TextureOp::Disable);
    case TextureStageState::AlphaOp: return raw(stage == 0 ? TextureOp::SelectArg1 : TextureOp::Disable);
    case TextureStageState::ColorArg1:
    case TextureStageState::AlphaArg1: return raw(TextureArg::Texture);
    default: return raw(TextureArg::Current);
  }
}

constexpr RenderState kOverlayRenderStates[] = {RenderState::ZEnable,   RenderState::ZWriteEnable,
                                                RenderState::StencilEnable, RenderState::CullMode,
                                                RenderState::AlphaBlendEnable, RenderState::SrcBlend,
                                                RenderState::DestBlend, RenderState::Lighting};
constexpr TextureStageState kOverlayStageStates[] = {TextureStageState::ColorOp, TextureStageState::ColorArg1,
                                                     TextureStageState::AlphaOp, TextureStageState::AlphaArg1};

}  // namespace

void OverlayDevice::SetRenderState(RenderState state, uint32_t value) {
  renderStates_[raw(state)] = value;
  inner_.SetRenderState(state, value);
}

void OverlayDevice::SetTextureStageState(uint32_t stage, TextureStageState type, uint32_t value) {
  stageStates_[{stage, raw(type)}] = value;
  inner_.SetTextureStageState(stage, type, value);
}

void OverlayDevice::SetTexture(uint32_t stage, const Texture* texture) {
  if (stage < 2) textures_[stage] = texture;
  inner_.SetTexture(stage, texture);
}

void OverlayDevice::SetMaterial(const Material& material) {
  material_ = material;
  inner_.SetMaterial(material);
}

void OverlayDevice::SetStreamSource(uint32_t stream, const VertexBuffer* buffer, uint32_t stride) {
  if (stream == 0) {
    stream_ = buffer;
    streamStride_ = stride;
  }
  inner_.SetStreamSource(stream, buffer, stride);
}

void OverlayDevice::SetVertexShader(uint32_t fvf) {
  vertexShader_ = fvf;
  inner_.SetVertexShader(fvf);
}

int32_t OverlayDevice::Present() {
  if (keepFrames_) kept_ = inner_.KeepFrame();
  drawOverlay(nullptr);
  return inner_.Present();
}

void OverlayDevice::presentKept() {
  // The kept frame is the whole back buffer, bars and all; the picture's
  // own viewport (where the overlay goes) is put back after it.
  const Viewport picture = inner_.GetViewport();
  if (kept_ != nullptr)
    inner_.SetViewport(Viewport{0, 0, static_cast<uint32_t>(kept_->width()), static_cast<uint32_t>(kept_->height()),
                                0.0f, 1.0f});
  inner_.Clear(ClearFlags::Target | ClearFlags::ZBuffer, 0xFF000000u, 1.0f, 0);
  inner_.BeginScene();
  drawOverlay(kept_);
  inner_.SetViewport(picture);
  drawOverlay(nullptr);
  inner_.EndScene();
  inner_.Present();
}

void OverlayDevice::drawOverlay(const Texture* background) {
  if (!overlay_) return;
  Overlay overlay;
  if (background != nullptr)
    overlay.keptFrame = background;  // alone, over the whole of its viewport
  else
    overlay = overlay_(inner_.GetViewport());
  if (overlay.empty()) return;
  const Matrix4 world = inner_.GetTransform(TransformKind::World);
  const Matrix4 view = inner_.GetTransform(TransformKind::View);
  const Matrix4 projection = inner_.GetTransform(TransformKind::Projection);
  std::string error;
  if (!cog::drawOverlay(inner_, overlay, background != nullptr ? keptBuffer_ : buffer_, error)) problem_ = error;
  inner_.SetTransform(TransformKind::World, world);
  inner_.SetTransform(TransformKind::View, view);
  inner_.SetTransform(TransformKind::Projection, projection);
  restoreGameStates();
}

void OverlayDevice::restoreGameStates() {
  for (RenderState state : kOverlayRenderStates) {
    auto it = renderStates_.find(raw(state));
    inner_.SetRenderState(state, it != renderStates_.end() ? it->second : defaultRenderState(state));
  }
  for (uint32_t stage = 0; stage < 2; ++stage) {
    for (TextureStageState type : kOverlayStageStates) {
      auto it = stageStates_.find({stage, raw(type)});
      inner_.SetTextureStageState(stage, type, it != stageStates_.end() ? it->second : defaultStageState(stage, type));
    }
    inner_.SetTexture(stage, textures_[stage]);
  }
  inner_.SetMaterial(material_);
  inner_.SetStreamSource(0, stream_, streamStride_);
  inner_.SetVertexShader(vertexShader_);
}

}  // namespace cog
