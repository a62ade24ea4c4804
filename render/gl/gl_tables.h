#pragma once
// Direct3D 8 numbers to their OpenGL counterparts: blend factors,
// comparisons, stencil operations, and a texture stage as a GL_COMBINE
// texture environment.

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdint>

namespace cog {

GLenum glBlendFactorOf(uint32_t d3dBlend);
GLenum glCompareFuncOf(uint32_t d3dCmp);
GLenum glStencilOpOf(uint32_t d3dStencilOp);

// One half (colour or alpha) of stage `stage` as the GL_COMBINE function of
// the active texture unit. A disabled alpha half on a stage whose colour
// runs passes the alpha on.
void setCombine(uint32_t stage, bool alpha, uint32_t op, uint32_t arg1, uint32_t arg2);

}  // namespace cog
