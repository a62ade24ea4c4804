// The GL device at draw time: Direct3D state applied to fixed-function GL, and the draws.
#include "render/gl/gl_device.h"

#include <algorithm>
#include <cstring>

#include "base/vec.h"
#include "render/gl/gl_tables.h"

namespace cog {

namespace {

void setEnabled(GLenum cap, bool on) {
  if (on)
    glEnable(cap);
  else
    glDisable(cap);
}

void colorOf(const ColorValue& c, GLfloat out[4]) {
  out[0] = c.r;
  out[1] = c.g;
  out[2] = c.b;
  out[3] = c.a;
}

const void* offsetPtr(uintptr_t offset) { return reinterpret_cast<const void*>(offset); }

}  // namespace

void GlDevice::applyViewport() {
  if (!viewportDirty_) return;
  // Direct3D counts rows from the top, GL from the bottom.
  const int64_t fromBottom = int64_t{backBufferHeight_} - viewport_.y - viewport_.height;
  glViewport(static_cast<GLint>(viewport_.x), static_cast<GLint>(fromBottom), static_cast<GLsizei>(viewport_.width),
             static_cast<GLsizei>(viewport_.height));
  glDepthRange(std::clamp(static_cast<double>(viewport_.minZ), 0.0, 1.0),
               std::clamp(static_cast<double>(viewport_.maxZ), 0.0, 1.0));
  viewportDirty_ = false;
}

bool GlDevice::applyStencilScissor() {
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

void GlDevice::applyRenderStates() {
  const uint32_t* rs = renderState_;
  uint32_t* done = appliedRenderState_;
  const auto changed = [&](uint32_t s) { return rs[s] != done[s]; };

  if (changed(raw(RenderState::ZEnable))) setEnabled(GL_DEPTH_TEST, rs[raw(RenderState::ZEnable)] != 0);
  if (changed(raw(RenderState::ZWriteEnable))) glDepthMask(rs[raw(RenderState::ZWriteEnable)] != 0 ? GL_TRUE : GL_FALSE);
  if (changed(raw(RenderState::ZFunc))) glDepthFunc(glCompareFuncOf(rs[raw(RenderState::ZFunc)]));
  if (changed(raw(RenderState::AlphaBlendEnable))) setEnabled(GL_BLEND, rs[raw(RenderState::AlphaBlendEnable)] != 0);
  if (changed(raw(RenderState::SrcBlend)) || changed(raw(RenderState::DestBlend)))
    glBlendFunc(glBlendFactorOf(rs[raw(RenderState::SrcBlend)]), glBlendFactorOf(rs[raw(RenderState::DestBlend)]));
  if (changed(raw(RenderState::CullMode))) {
    // Direct3D culls by the winding seen on screen: CCW culls
    // counter-clockwise triangles, so clockwise ones are GL's front faces.
    const uint32_t cull = rs[raw(RenderState::CullMode)];
    setEnabled(GL_CULL_FACE, cull == raw(Cull::Clockwise) || cull == raw(Cull::CounterClockwise));
    if (cull == raw(Cull::CounterClockwise)) glFrontFace(GL_CW);
    if (cull == raw(Cull::Clockwise)) glFrontFace(GL_CCW);
  }
  if (changed(raw(RenderState::StencilEnable))) setEnabled(GL_STENCIL_TEST, rs[raw(RenderState::StencilEnable)] != 0);
  if (changed(raw(RenderState::StencilFunc)) || changed(raw(RenderState::StencilRef)) || changed(raw(RenderState::StencilMask)))
    glStencilFunc(glCompareFuncOf(rs[raw(RenderState::StencilFunc)]), static_cast<GLint>(rs[raw(RenderState::StencilRef)] & 0xFFu),
                  rs[raw(RenderState::StencilMask)]);
  if (changed(raw(RenderState::StencilFail)) || changed(raw(RenderState::StencilZFail)) || changed(raw(RenderState::StencilPass)))
    glStencilOp(glStencilOpOf(rs[raw(RenderState::StencilFail)]), glStencilOpOf(rs[raw(RenderState::StencilZFail)]),
                glStencilOpOf(rs[raw(RenderState::StencilPass)]));
  if (changed(raw(RenderState::StencilWriteMask))) glStencilMask(rs[raw(RenderState::StencilWriteMask)]);
  if (changed(raw(RenderState::Ambient))) {
    GLfloat ambient[4];
    colorFromArgb(rs[raw(RenderState::Ambient)], ambient);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
  }
  if (changed(raw(RenderState::MultisampleAntialias))) setEnabled(GL_MULTISAMPLE, rs[raw(RenderState::MultisampleAntialias)] != 0);
  std::memcpy(done, rs, sizeof renderState_);
}

void GlDevice::applyStages() {
  if (!stagesDirty_) return;
  // A disabled colour operation switches off its stage and every later one.
  bool active = true;
  for (uint32_t s = 0; s < kStages; ++s) {
    const uint32_t* ts = stageState_[s];
    active = active && ts[raw(TextureStageState::ColorOp)] != raw(TextureOp::Disable);
    if (!active) {
      if (appliedUnitEnabled_[s] != 0) {
        glActiveTexture(GL_TEXTURE0 + s);
        glDisable(GL_TEXTURE_2D);
        appliedUnitEnabled_[s] = 0;
      }
      continue;
    }
    glActiveTexture(GL_TEXTURE0 + s);
    if (appliedUnitEnabled_[s] != 1) {
      glEnable(GL_TEXTURE_2D);
      appliedUnitEnabled_[s] = 1;
    }
    const uint32_t texture = stageTexture_[s].texture != 0 ? stageTexture_[s].texture : whiteTexture_;
    if (appliedStageTexture_[s].texture != texture) {
      glBindTexture(GL_TEXTURE_2D, texture);
      appliedStageTexture_[s].texture = texture;
    }
    if (!appliedCombineValid_[s] || std::memcmp(ts, appliedStageState_[s], sizeof stageState_[s]) != 0) {
      setCombine(s, false, ts[raw(TextureStageState::ColorOp)], ts[raw(TextureStageState::ColorArg1)], ts[raw(TextureStageState::ColorArg2)]);
      setCombine(s, true, ts[raw(TextureStageState::AlphaOp)], ts[raw(TextureStageState::AlphaArg1)], ts[raw(TextureStageState::AlphaArg2)]);
      std::memcpy(appliedStageState_[s], ts, sizeof stageState_[s]);
      appliedCombineValid_[s] = true;
    }
  }
  glActiveTexture(GL_TEXTURE0);
  stagesDirty_ = false;
}

void GlDevice::applyLights() {
  // Lighting only makes the diffuse colour: when no stage reads it (every
  // textured room and prop), GL need not light the vertices at all.
  const bool lit = renderState_[raw(RenderState::Lighting)] != 0 && stagesReadDiffuse(stageState_);
  if (appliedLighting_ != (lit ? 1 : 0)) {
    setEnabled(GL_LIGHTING, lit);
    appliedLighting_ = lit ? 1 : 0;
  }
  if (!lit) return;  // what changed stays to be sent at the next lit draw
  if (materialDirty_) {
    GLfloat c[4];
    colorOf(material_.diffuse, c);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, c);
    colorOf(material_.ambient, c);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, c);
    colorOf(material_.specular, c);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, c);
    colorOf(material_.emissive, c);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, c);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, std::clamp(material_.power, 0.0f, 128.0f));
    materialDirty_ = false;
  }
  if (lightParamsDirty_) {
    for (size_t i = 0; i < lights_.size(); ++i) {
      const GLenum id = GL_LIGHT0 + static_cast<GLenum>(i);
      const LightSlot& slot = lights_[i];
      if (!slot.enabled) continue;
      const Light& l = slot.light;
      GLfloat c[4];
      colorOf(l.diffuse, c);
      glLightfv(id, GL_DIFFUSE, c);
      colorOf(l.specular, c);
      glLightfv(id, GL_SPECULAR, c);
      colorOf(l.ambient, c);
      glLightfv(id, GL_AMBIENT, c);
      const bool directional = l.type == LightType::Directional;
      glLightf(id, GL_CONSTANT_ATTENUATION, directional ? 1.0f : l.attenuation0);
      glLightf(id, GL_LINEAR_ATTENUATION, directional ? 0.0f : l.attenuation1);
      glLightf(id, GL_QUADRATIC_ATTENUATION, directional ? 0.0f : l.attenuation2);
      if (l.type == LightType::Spot) {
        glLightf(id, GL_SPOT_CUTOFF, std::clamp(l.phi * 0.5f * kRadToDeg, 0.0f, 90.0f));
        glLightf(id, GL_SPOT_EXPONENT, std::clamp(l.falloff, 0.0f, 128.0f));
      } else {
        glLightf(id, GL_SPOT_CUTOFF, 180.0f);
      }
    }
    lightParamsDirty_ = false;
  }
  if (lightPositionsDirty_) {
    // Positions are given in world space: GL takes them through the
    // modelview matrix of the moment, so load the view alone.
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(&view_.m[0][0]);
    for (size_t i = 0; i < lights_.size(); ++i) {
      const LightSlot& slot = lights_[i];
      if (!slot.enabled) continue;
      const Light& l = slot.light;
      const GLenum id = GL_LIGHT0 + static_cast<GLenum>(i);
      if (l.type == LightType::Directional) {
        const GLfloat towards[4] = {-l.direction.x, -l.direction.y, -l.direction.z, 0.0f};
        glLightfv(id, GL_POSITION, towards);
      } else {
        const GLfloat at[4] = {l.position.x, l.position.y, l.position.z, 1.0f};
        glLightfv(id, GL_POSITION, at);
        if (l.type == LightType::Spot) {
          const GLfloat dir[3] = {l.direction.x, l.direction.y, l.direction.z};
          glLightfv(id, GL_SPOT_DIRECTION, dir);
        }
      }
    }
    lightPositionsDirty_ = false;
    modelViewDirty_ = true;
  }
  // GL has no light range. A light whose range ends short of everything
  // this draw can reach (the buffer's box, placed by the world matrix) is
  // switched off for the draw; one that reaches part of it lights it all.
  for (size_t i = 0; i < lights_.size(); ++i) {
    const LightSlot& slot = lights_[i];
    bool on = slot.enabled;
    if (on && slot.light.type != LightType::Directional && streamBounds_.valid)
      on = lightRangeReachesBox(streamBounds_, world_, slot.light.position, slot.light.range);
    const int8_t want = on ? 1 : 0;
    if (appliedLightOn_[i] != want) {
      setEnabled(GL_LIGHT0 + static_cast<GLenum>(i), on);
      appliedLightOn_[i] = want;
    }
  }
}

void GlDevice::applyTransforms() {
  if (projectionDirty_) {
    // A row-vector matrix's rows are GL's columns of the same transform.
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(&projection_.m[0][0]);
    projectionDirty_ = false;
  }
  if (modelViewDirty_) {
    const Matrix4 worldView = matrixMultiply(world_, view_);  // world first, then view
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(&worldView.m[0][0]);
    modelViewDirty_ = false;
  }
}

void GlDevice::applyStream() {
  if (!streamDirty_) return;
  glBindBuffer(GL_ARRAY_BUFFER, streamBuffer_);
  if (streamBuffer_ != 0) {
    const auto stride = static_cast<GLsizei>(streamStride_);
    glVertexPointer(3, GL_FLOAT, stride, offsetPtr(0));
    glNormalPointer(GL_FLOAT, stride, offsetPtr(kNormalOffset));
    glClientActiveTexture(GL_TEXTURE0);
    glTexCoordPointer(2, GL_FLOAT, stride, offsetPtr(kTex0Offset));
    glClientActiveTexture(GL_TEXTURE1);
    glTexCoordPointer(2, GL_FLOAT, stride, offsetPtr(kTex1Offset));
    glClientActiveTexture(GL_TEXTURE0);
  }
  streamDirty_ = false;
}

void GlDevice::DrawPrimitive(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount) {
  const uint64_t vertices = vertexCountOf(type, primitiveCount);
  const GLenum mode = type == PrimitiveType::TriangleStrip ? GL_TRIANGLE_STRIP : GL_TRIANGLES;
  // Nothing to draw, no usable stream, or a range past the buffer's end:
  // skip the draw rather than read what is not there.
  const bool layoutKnown = vertexFormat_ == kMeshFvf && streamStride_ >= kMeshVertexStride;
  if (vertices == 0 || streamBuffer_ == 0 || !layoutKnown ||
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
  applyStages();
  applyLights();
  applyTransforms();
  applyStream();
  glDrawArrays(mode, static_cast<GLint>(startVertex), static_cast<GLsizei>(vertices));
  ++drawsMade_;
}

}  // namespace cog
