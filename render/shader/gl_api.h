#pragma once
// The shader device's only way to GL. Natively the functions come from the
// loader glad generated at build time for GL 3.3 core and OpenGL ES 3.0
// (one merged header; loaded for the context's dialect at run time). Built
// with Emscripten, its own GLES 3 header (WebGL 2) stands in and nothing is
// loaded. The device uses only what the three have in common, and the few
// calls whose names differ go through the helpers below.

#if defined(__EMSCRIPTEN__)
#include <GLES3/gl3.h>
#define COG_GL_NO_LOADER 1
#else
#include <glad/gl.h>
#endif

#include "render/shader/gl_dialect.h"

namespace cog {

// Loads the functions of `dialect` through `getProc`; false when the
// context does not offer them.
inline bool loadGlFunctions(GlDialect dialect, GlProcLoader getProc) {
#if defined(COG_GL_NO_LOADER)
  (void)dialect;
  (void)getProc;
  return true;
#else
  const auto load = reinterpret_cast<GLADloadfunc>(getProc);
  return dialect == GlDialect::Gles30 ? gladLoadGLES2(load) != 0 : gladLoadGL(load) != 0;
#endif
}

// The formats of a texture the window's frame is copied into: desktop GL
// is given BGRA (most windows' byte order) and left to choose the layout,
// so it can take the window's rows as they are; OpenGL ES has only RGBA.
inline void frameTextureFormats(GlDialect dialect, GLint& internalFormat, GLenum& format) {
#if defined(COG_GL_NO_LOADER)
  (void)dialect;
#else
  if (dialect == GlDialect::Gl33Core) {
    internalFormat = GL_RGBA;
    format = GL_BGRA;
    return;
  }
#endif
  internalFormat = GL_RGBA8;
  format = GL_RGBA;
}

// GL 3.3 has the double-precision forms, OpenGL ES only the float ones.
inline void setDepthRange(GlDialect dialect, float nearZ, float farZ) {
#if defined(COG_GL_NO_LOADER)
  (void)dialect;
  glDepthRangef(nearZ, farZ);
#else
  if (dialect == GlDialect::Gles30)
    glDepthRangef(nearZ, farZ);
  else
    glDepthRange(nearZ, farZ);
#endif
}

inline void setClearDepth(GlDialect dialect, float z) {
#if defined(COG_GL_NO_LOADER)
  (void)dialect;
  glClearDepthf(z);
#else
  if (dialect == GlDialect::Gles30)
    glClearDepthf(z);
  else
    glClearDepth(z);
#endif
}

}  // namespace cog
