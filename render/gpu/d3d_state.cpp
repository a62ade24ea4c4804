// Direct3D 8 defaults for the devices' state tables, and what a stage set-up reads.
#include "render/gpu/d3d_state.h"

namespace cog {

void setDefaultRenderStates(uint32_t rs[kRenderStates]) {
  rs[D3DRS_ZENABLE] = D3DZB_TRUE;  // the game asks for a depth buffer
  rs[D3DRS_ZWRITEENABLE] = TRUE_;
  rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
  rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
  rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
  rs[D3DRS_CULLMODE] = D3DCULL_CCW;
  rs[D3DRS_ALPHABLENDENABLE] = FALSE_;
  rs[D3DRS_STENCILENABLE] = FALSE_;
  rs[D3DRS_STENCILFAIL] = D3DSTENCILOP_KEEP;
  rs[D3DRS_STENCILZFAIL] = D3DSTENCILOP_KEEP;
  rs[D3DRS_STENCILPASS] = D3DSTENCILOP_KEEP;
  rs[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
  rs[D3DRS_STENCILREF] = 0;
  rs[D3DRS_STENCILMASK] = 0xFFFFFFFFu;
  rs[D3DRS_STENCILWRITEMASK] = 0xFFFFFFFFu;
  rs[D3DRS_LIGHTING] = TRUE_;
  rs[D3DRS_AMBIENT] = 0;
  rs[D3DRS_MULTISAMPLEANTIALIAS] = TRUE_;
}

void setDefaultStageStates(uint32_t stage, uint32_t ts[kStageStates]) {
  ts[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
  ts[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
  ts[D3DTSS_COLORARG2] = D3DTA_CURRENT;
  ts[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
  ts[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
  ts[kAlphaArg2] = D3DTA_CURRENT;
}

Light defaultLight() {
  Light l;
  l.type = kLightDirectional;
  l.diffuse = ColorValue{1.0f, 1.0f, 1.0f, 0.0f};
  l.direction = Vec3(0.0f, 0.0f, 1.0f);
  return l;
}

bool stagesReadDiffuse(const uint32_t stageState[kStages][kStageStates]) {
  // Stage 0's "current" is the diffuse; a disabled stage 0 shows the
  // diffuse itself, a disabled later stage ends the chain.
  const auto reads = [](uint32_t stage, uint32_t arg) {
    const uint32_t a = arg & 0x0Fu;
    return a == D3DTA_DIFFUSE || (stage == 0 && a == D3DTA_CURRENT);
  };
  const auto halfReads = [&](uint32_t stage, uint32_t op, uint32_t arg1, uint32_t arg2) {
    if (op == D3DTOP_DISABLE) return stage == 0;  // passes "current" on
    if (op == D3DTOP_SELECTARG1) return reads(stage, arg1);
    return reads(stage, arg1) || reads(stage, arg2);
  };
  for (uint32_t s = 0; s < kStages; ++s) {
    const uint32_t* ts = stageState[s];
    if (ts[D3DTSS_COLOROP] == D3DTOP_DISABLE) return s == 0;
    if (halfReads(s, ts[D3DTSS_COLOROP], ts[D3DTSS_COLORARG1], ts[D3DTSS_COLORARG2]) ||
        halfReads(s, ts[D3DTSS_ALPHAOP], ts[D3DTSS_ALPHAARG1], ts[kAlphaArg2]))
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
