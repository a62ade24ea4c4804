// The shader device at draw time: GL state, the program variant and its uniforms, textures, stream, the draw.
#include "render/shader/shader_device.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "render/shader/gl_api.h"
#include "render/shader/shader_programs.h"

namespace cog {

namespace {

GLenum blendFactor(uint32_t d3d) {
  switch (d3d) {
    case raw(Blend::Zero): return GL_ZERO;
    case raw(Blend::One): return GL_ONE;
    case raw(Blend::SrcColor): return GL_SRC_COLOR;
    case raw(Blend::InvSrcColor): return GL_ONE_MINUS_SRC_COLOR;
    case raw(Blend::SrcAlpha): return GL_SRC_ALPHA;
    case raw(Blend::InvSrcAlpha): return GL_ONE_MINUS_SRC_ALPHA;
    case 7: return GL_DST_ALPHA;
    case 8: return GL_ONE_MINUS_DST_ALPHA;
    case raw(Blend::DestColor): return GL_DST_COLOR;
    case 10: return GL_ONE_MINUS_DST_COLOR;
    case 11: return GL_SRC_ALPHA_SATURATE;
    default: return GL_ONE;
  }
}

GLenum compareFunc(uint32_t d3d) { return d3d >= 1 && d3d <= 8 ? GL_NEVER + (d3d - 1) : GL_ALWAYS; }

GLenum stencilOp(uint32_t d3d) {
  static const GLenum kOps[9] = {GL_KEEP, GL_KEEP, GL_ZERO, GL_REPLACE, GL_INCR, GL_DECR, GL_INVERT, GL_INCR_WRAP,
                                 GL_DECR_WRAP};
  return d3d < 9 ? kOps[d3d] : GL_KEEP;
}

void setEnabled(GLenum cap, bool on) {
  if (on)
    glEnable(cap);
  else
    glDisable(cap);
}

const void* offsetPtr(uintptr_t offset) { return reinterpret_cast<const void*>(offset); }

// A world-space point (w 1) or direction (w 0) through the view matrix.
void viewSpace(const Matrix4& v, const Vec3& p, float w, float out[3]) {
  for (int i = 0; i < 3; ++i) out[i] = p.x * v.m[0][i] + p.y * v.m[1][i] + p.z * v.m[2][i] + w * v.m[3][i];
}

}  // namespace

void ShaderDevice::applyRenderStates() {
  const uint32_t* rs = renderState_;
  const uint32_t* done = appliedRenderState_;
  const auto changed = [&](uint32_t s) { return rs[s] != done[s]; };
  if (changed(raw(RenderState::ZEnable))) setEnabled(GL_DEPTH_TEST, rs[raw(RenderState::ZEnable)] != 0);
  if (changed(raw(RenderState::ZWriteEnable))) glDepthMask(rs[raw(RenderState::ZWriteEnable)] != 0 ? GL_TRUE : GL_FALSE);
  if (changed(raw(RenderState::ZFunc))) glDepthFunc(compareFunc(rs[raw(RenderState::ZFunc)]));
  if (changed(raw(RenderState::AlphaBlendEnable))) setEnabled(GL_BLEND, rs[raw(RenderState::AlphaBlendEnable)] != 0);
  if (changed(raw(RenderState::SrcBlend)) || changed(raw(RenderState::DestBlend)))
    glBlendFunc(blendFactor(rs[raw(RenderState::SrcBlend)]), blendFactor(rs[raw(RenderState::DestBlend)]));
  if (changed(raw(RenderState::CullMode))) {
    // Direct3D culls by the winding seen on screen.
    const uint32_t cull = rs[raw(RenderState::CullMode)];
    setEnabled(GL_CULL_FACE, cull == raw(Cull::Clockwise) || cull == raw(Cull::CounterClockwise));
    if (cull == raw(Cull::CounterClockwise)) glFrontFace(GL_CW);
    if (cull == raw(Cull::Clockwise)) glFrontFace(GL_CCW);
  }
  if (changed(raw(RenderState::StencilEnable))) setEnabled(GL_STENCIL_TEST, rs[raw(RenderState::StencilEnable)] != 0);
  if (changed(raw(RenderState::StencilFunc)) || changed(raw(RenderState::StencilRef)) || changed(raw(RenderState::StencilMask)))
    glStencilFunc(compareFunc(rs[raw(RenderState::StencilFunc)]), static_cast<GLint>(rs[raw(RenderState::StencilRef)] & 0xFFu),
                  rs[raw(RenderState::StencilMask)]);
  if (changed(raw(RenderState::StencilFail)) || changed(raw(RenderState::StencilZFail)) || changed(raw(RenderState::StencilPass)))
    glStencilOp(stencilOp(rs[raw(RenderState::StencilFail)]), stencilOp(rs[raw(RenderState::StencilZFail)]), stencilOp(rs[raw(RenderState::StencilPass)]));
  if (changed(raw(RenderState::StencilWriteMask))) glStencilMask(rs[raw(RenderState::StencilWriteMask)]);
#if !defined(COG_GL_NO_LOADER)
  // OpenGL ES multisamples whenever the surface does; only desktop GL
  // switches it.
  if (dialect_ == GlDialect::Gl33Core && changed(raw(RenderState::MultisampleAntialias)))
    setEnabled(GL_MULTISAMPLE, rs[raw(RenderState::MultisampleAntialias)] != 0);
#endif
  std::memcpy(appliedRenderState_, rs, sizeof renderState_);
}

void ShaderDevice::applyViewport() {
  if (!viewportDirty_) return;
  const int64_t fromBottom = int64_t{backBufferHeight_} - viewport_.y - viewport_.height;
  glViewport(static_cast<GLint>(viewport_.x), static_cast<GLint>(fromBottom), static_cast<GLsizei>(viewport_.width),
             static_cast<GLsizei>(viewport_.height));
  setDepthRange(dialect_, std::clamp(viewport_.minZ, 0.0f, 1.0f), std::clamp(viewport_.maxZ, 0.0f, 1.0f));
  viewportDirty_ = false;
}

bool ShaderDevice::applyStencilScissor() {
  const StencilBounds::Decision d = stencilBounds_.beforeDraw(stencilStatesFrom(renderState_), [this] {
    return screenRect(streamBounds_, matrixMultiply(matrixMultiply(world_, view_), projection_), viewport_,
                      backBufferHeight_);
  });
  if (d.skip) return false;
  const ScissorSwitch change = scissor_.toward(d);
  if (change.enable) glEnable(GL_SCISSOR_TEST);
  if (change.setRect)
    glScissor(change.rect.x0, change.rect.y0, change.rect.x1 - change.rect.x0, change.rect.y1 - change.rect.y0);
  if (change.disable) glDisable(GL_SCISSOR_TEST);
  return true;
}

bool ShaderDevice::applyProgram() {
  // Lighting only makes the diffuse: unread, it needs no lit variant.
  const bool lit = renderState_[raw(RenderState::Lighting)] != 0 && stagesReadDiffuse(stageState_);
  const uint64_t before = programs_->compiled();
  ShaderProgram* p = programs_->get(programKeyOf(lit, stageState_), programError_);
  if (p == nullptr) return false;
  if (programs_->compiled() != before) appliedProgram_ = 0;  // linking made it current
  if (appliedProgram_ != p->program) {
    glUseProgram(p->program);
    appliedProgram_ = p->program;
  }
  uploadUniforms(*p);
  return true;
}

void ShaderDevice::uploadUniforms(ShaderProgram& p) {
  if (p.uploaded[kTransformGroup] != transformVersion_) {
    const Matrix4 worldView = matrixMultiply(world_, view_);  // world first, then view
    // A row-vector matrix's rows are GL's columns of the same transform.
    glUniformMatrix4fv(p.worldView, 1, GL_FALSE, &worldView.m[0][0]);
    glUniformMatrix4fv(p.projection, 1, GL_FALSE, &projection_.m[0][0]);
    p.uploaded[kTransformGroup] = transformVersion_;
  }
  if (!p.lit) return;
  if (p.uploaded[kMaterialGroup] != materialVersion_) {
    const Material& m = material_;
    glUniform4f(p.matDiffuse, m.diffuse.r, m.diffuse.g, m.diffuse.b, m.diffuse.a);
    glUniform3f(p.matAmbient, m.ambient.r, m.ambient.g, m.ambient.b);
    glUniform3f(p.matEmissive, m.emissive.r, m.emissive.g, m.emissive.b);
    float ambient[4];
    colorFromArgb(renderState_[raw(RenderState::Ambient)], ambient);
    glUniform3f(p.globalAmbient, ambient[0], ambient[1], ambient[2]);
    p.uploaded[kMaterialGroup] = materialVersion_;
  }
  if (p.uploaded[kLightGroup] != lightVersion_) {
    float pos[kShaderLights][4] = {}, dir[kShaderLights][3] = {}, diffuse[kShaderLights][3] = {},
          ambient[kShaderLights][3] = {}, atten[kShaderLights][4] = {}, spot[kShaderLights][3] = {};
    int n = 0;
    for (const LightSlot& slot : lights_) {
      if (!slot.enabled || n == kShaderLights) continue;
      const Light& l = slot.light;
      if (l.type == LightType::Directional) {
        viewSpace(view_, Vec3(-l.direction.x, -l.direction.y, -l.direction.z), 0.0f, pos[n]);
        const float len = std::sqrt(pos[n][0] * pos[n][0] + pos[n][1] * pos[n][1] + pos[n][2] * pos[n][2]);
        for (int i = 0; i < 3 && len > 0.0f; ++i) pos[n][i] /= len;
        pos[n][3] = 0.0f;
      } else {
        viewSpace(view_, l.position, 1.0f, pos[n]);
        pos[n][3] = l.type == LightType::Spot ? 2.0f : 1.0f;
        viewSpace(view_, l.direction, 0.0f, dir[n]);
      }
      diffuse[n][0] = l.diffuse.r, diffuse[n][1] = l.diffuse.g, diffuse[n][2] = l.diffuse.b;
      ambient[n][0] = l.ambient.r, ambient[n][1] = l.ambient.g, ambient[n][2] = l.ambient.b;
      atten[n][0] = l.attenuation0, atten[n][1] = l.attenuation1, atten[n][2] = l.attenuation2;
      atten[n][3] = l.range;
      spot[n][0] = std::cos(l.theta * 0.5f), spot[n][1] = std::cos(l.phi * 0.5f), spot[n][2] = l.falloff;
      ++n;
    }
    glUniform1i(p.lightCount, n);
    if (n > 0) {
      glUniform4fv(p.lightPos, n, &pos[0][0]);
      glUniform3fv(p.lightDir, n, &dir[0][0]);
      glUniform3fv(p.lightDiffuse, n, &diffuse[0][0]);
      glUniform3fv(p.lightAmbient, n, &ambient[0][0]);
      glUniform4fv(p.lightAtten, n, &atten[0][0]);
      glUniform3fv(p.lightSpot, n, &spot[0][0]);
    }
    p.uploaded[kLightGroup] = lightVersion_;
  }
}

void ShaderDevice::applyTextures() {
  for (uint32_t s = 0; s < kStages; ++s) {
    const uint32_t texture = stageTexture_[s] != 0 ? stageTexture_[s] : whiteTexture_;
    if (appliedStageTexture_[s] == texture) continue;
    glActiveTexture(GL_TEXTURE0 + s);
    glBindTexture(GL_TEXTURE_2D, texture);
    appliedStageTexture_[s] = texture;
  }
}

void ShaderDevice::applyStream() {
  if (!streamDirty_) return;
  glBindBuffer(GL_ARRAY_BUFFER, streamBuffer_);
  const auto stride = static_cast<GLsizei>(streamStride_);
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, offsetPtr(0));
  glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride, offsetPtr(kNormalOffset));
  glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride, offsetPtr(kTex0Offset));
  glVertexAttribPointer(3, 2, GL_FLOAT, GL_FALSE, stride, offsetPtr(kTex1Offset));
  streamDirty_ = false;
}

void ShaderDevice::DrawPrimitive(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount) {
  const uint64_t vertices = vertexCountOf(type, primitiveCount);
  const bool layoutKnown = vertexFormat_ == kMeshFvf && streamStride_ >= kMeshVertexStride;
  if (!usable() || vertices == 0 || streamBuffer_ == 0 || !layoutKnown ||
      !drawRangeFits(startVertex, vertices, streamStride_, kMeshVertexStride, streamLength_)) {
    ++skippedDraws_;
    return;
  }
  if (!applyStencilScissor()) {
    ++stencilCulledDraws_;
    return;
  }
  applyRenderStates();
  applyViewport();
  if (!applyProgram()) {
    ++skippedDraws_;
    return;
  }
  applyTextures();
  applyStream();
  glDrawArrays(type == PrimitiveType::TriangleStrip ? GL_TRIANGLE_STRIP : GL_TRIANGLES, static_cast<GLint>(startVertex),
               static_cast<GLsizei>(vertices));
  ++drawsMade_;
}

}  // namespace cog
