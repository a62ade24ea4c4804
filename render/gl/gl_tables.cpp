// Direct3D 8 to OpenGL translation tables and the fixed-function stage combiner.
#include "render/gl/gl_tables.h"

#include "seams/render_device.h"

namespace cog {

GLenum glBlendFactorOf(uint32_t d3d) {
  switch (d3d) {
    case raw(Blend::Zero): return GL_ZERO;
    case raw(Blend::One): return GL_ONE;
    case raw(Blend::SrcColor): return GL_SRC_COLOR;
    case raw(Blend::InvSrcColor): return GL_ONE_MINUS_SRC_COLOR;
    case raw(Blend::SrcAlpha): return GL_SRC_ALPHA;
    case raw(Blend::InvSrcAlpha): return GL_ONE_MINUS_SRC_ALPHA;
    case 7: return GL_DST_ALPHA;            // D3DBLEND_DESTALPHA
    case 8: return GL_ONE_MINUS_DST_ALPHA;  // D3DBLEND_INVDESTALPHA
    case raw(Blend::DestColor): return GL_DST_COLOR;
    case 10: return GL_ONE_MINUS_DST_COLOR;  // D3DBLEND_INVDESTCOLOR
    case 11: return GL_SRC_ALPHA_SATURATE;   // D3DBLEND_SRCALPHASAT
    default: return GL_ONE;
  }
}

GLenum glCompareFuncOf(uint32_t d3d) {
  // D3DCMP_NEVER (1) .. raw(Compare::Always) (8) are in the same order as GL's.
  if (d3d >= 1 && d3d <= 8) return GL_NEVER + (d3d - 1);
  return GL_ALWAYS;
}

GLenum glStencilOpOf(uint32_t d3d) {
  switch (d3d) {
    case raw(StencilOp::Keep): return GL_KEEP;
    case 2: return GL_ZERO;
    case raw(StencilOp::Replace): return GL_REPLACE;
    case 4: return GL_INCR;       // D3DSTENCILOP_INCRSAT
    case 5: return GL_DECR;       // D3DSTENCILOP_DECRSAT
    case 6: return GL_INVERT;
    case 7: return GL_INCR_WRAP;  // D3DSTENCILOP_INCR
    case 8: return GL_DECR_WRAP;  // D3DSTENCILOP_DECR
    default: return GL_KEEP;
  }
}

namespace {

GLenum combineSource(uint32_t stage, uint32_t arg) {
  switch (arg & 0x0Fu) {  // the modifier bits (complement, alpha replicate) are not used
    case raw(TextureArg::Texture): return GL_TEXTURE;
    case raw(TextureArg::Diffuse): return GL_PRIMARY_COLOR;
    case raw(TextureArg::Current): return stage == 0 ? GL_PRIMARY_COLOR : GL_PREVIOUS;  // stage 0: the diffuse
    default: return GL_PREVIOUS;
  }
}

}  // namespace

void setCombine(uint32_t stage, bool alpha, uint32_t op, uint32_t arg1, uint32_t arg2) {
  const GLenum combine = alpha ? GL_COMBINE_ALPHA : GL_COMBINE_RGB;
  const GLenum src0 = alpha ? GL_SRC0_ALPHA : GL_SRC0_RGB;
  const GLenum src1 = alpha ? GL_SRC1_ALPHA : GL_SRC1_RGB;
  const GLenum operand0 = alpha ? GL_OPERAND0_ALPHA : GL_OPERAND0_RGB;
  const GLenum operand1 = alpha ? GL_OPERAND1_ALPHA : GL_OPERAND1_RGB;
  const GLint operand = alpha ? GL_SRC_ALPHA : GL_SRC_COLOR;
  glTexEnvi(GL_TEXTURE_ENV, operand0, operand);
  glTexEnvi(GL_TEXTURE_ENV, operand1, operand);
  if (op == raw(TextureOp::SelectArg1)) {
    glTexEnvi(GL_TEXTURE_ENV, combine, GL_REPLACE);
    glTexEnvi(GL_TEXTURE_ENV, src0, static_cast<GLint>(combineSource(stage, arg1)));
  } else if (op == raw(TextureOp::Disable)) {
    glTexEnvi(GL_TEXTURE_ENV, combine, GL_REPLACE);
    glTexEnvi(GL_TEXTURE_ENV, src0, static_cast<GLint>(combineSource(stage, raw(TextureArg::Current))));
  } else {
    // MODULATE, and what the game never sets.
    glTexEnvi(GL_TEXTURE_ENV, combine, GL_MODULATE);
    glTexEnvi(GL_TEXTURE_ENV, src0, static_cast<GLint>(combineSource(stage, arg1)));
    glTexEnvi(GL_TEXTURE_ENV, src1, static_cast<GLint>(combineSource(stage, arg2)));
  }
}

}  // namespace cog
