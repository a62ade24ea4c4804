// Direct3D 8 defaults for the devices' state tables, and what a stage set-up reads.
#include "render/gpu/d3d_state.h"

namespace cog {

void setDefaultRenderStates(uint32_t rs[kRenderStates]) {
  rs[raw(RenderState::ZEnable)] = true;  // the game asks for a depth buffer
  rs[raw(RenderState::ZWriteEnable)] = true;
  rs[raw(RenderState::ZFunc)] = raw(Compare::LessEqual);
  rs[raw(RenderState::SrcBlend)] = raw(Blend::One);
  rs[raw(RenderState::DestBlend)] = raw(Blend::Zero);
  rs[raw(RenderState::CullMode)] = raw(Cull::CounterClockwise);
  rs[raw(RenderState::AlphaBlendEnable)] = false;
  rs[raw(RenderState::StencilEnable)] = false;
  rs[raw(RenderState::StencilFail)] = raw(StencilOp::Keep);
  rs[raw(RenderState::StencilZFail)] = raw(StencilOp::Keep);
  rs[raw(RenderState::StencilPass)] = raw(StencilOp::Keep);
  rs[raw(RenderState::StencilFunc)] = raw(Compare::Always);
  rs[raw(RenderState::StencilRef)] = 0;
  rs[raw(RenderState::StencilMask)] = 0xFFFFFFFFu;
  rs[raw(RenderState::StencilWriteMask)] = 0xFFFFFFFFu;
  rs[raw(RenderState::Lighting)] = true;
  rs[raw(RenderState::Ambient)] = 0;
  rs[raw(RenderState::MultisampleAntialias)] = true;
}

void setDefaultStageStates(uint32_t stage, uint32_t ts[kStageStates]) {
  ts[raw(TextureStageState::ColorOp)] = stage == 0 ? raw(TextureOp::Modulate) : raw(TextureOp::Disable);
  ts[raw(TextureStageState::ColorArg1)] = raw(TextureArg::Texture);
  ts[raw(TextureStageState::ColorArg2)] = raw(TextureArg::Current);
  ts[raw(TextureStageState::AlphaOp)] = stage == 0 ? raw(TextureOp::SelectArg1) : raw(TextureOp::Disable);
  ts[raw(TextureStageState::AlphaArg1)] = raw(TextureArg::Texture);
  ts[raw(TextureStageState::AlphaArg2)] = raw(TextureArg::Current);
}

Light defaultLight() {
  Light l;
  l.type = LightType::Directional;
  l.diffuse = ColorValue{1.0f, 1.0f, 1.0f, 0.0f};
  l.direction = Vec3(0.0f, 0.0f, 1.0f);
  return l;
}

bool stagesReadDiffuse(const uint32_t stageState[kStages][kStageStates]) {
  // Stage 0's "current" is the diffuse; a disabled stage 0 shows the
  // diffuse itself, a disabled later stage ends the chain.
  const auto reads = [](uint32_t stage, uint32_t arg) {
    const uint32_t a = arg & 0x0Fu;
    return a == raw(TextureArg::Diffuse) || (stage == 0 && a == raw(TextureArg::Current));
  };
  const auto halfReads = [&](uint32_t stage, uint32_t op, uint32_t arg1, uint32_t arg2) {
    if (op == raw(TextureOp::Disable)) return stage == 0;  // passes "current" on
    if (op == raw(TextureOp::SelectArg1)) return reads(stage, arg1);
    return reads(stage, arg1) || reads(stage, arg2);
  };
  for (uint32_t s = 0; s < kStages; ++s) {
    const uint32_t* ts = stageState[s];
    if (ts[raw(TextureStageState::ColorOp)] == raw(TextureOp::Disable)) return s == 0;
    if (halfReads(s, ts[raw(TextureStageState::ColorOp)], ts[raw(TextureStageState::ColorArg1)], ts[raw(TextureStageState::ColorArg2)]) ||
        halfReads(s, ts[raw(TextureStageState::AlphaOp)], ts[raw(TextureStageState::AlphaArg1)], ts[raw(TextureStageState::AlphaArg2)]))
      return true;
  }
  return false;
}

void colorFromArgb(uint32_t argb, float out[4]) {
  out[0] = static_cast<float>((argb >> 16) & 0xFF) / 255.0f;
  out[1] = static_cast<float>((argb >> 8) & 0xFF) / 255.0f;
  out[2] = static_cast<float>(argb & 0xFF) / 255.0f;
  out[3] = static_cast<float>(argb >> 24) / 255.0f;
}

}  // namespace cog
