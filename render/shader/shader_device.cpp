// The shader device: construction, resource creation, clears, the frame, and the state setters.
#include "render/shader/shader_device.h"

#include "render/gpu/draw_bounds.h"
#include <algorithm>
#include <utility>

#include "render/shader/gl_api.h"
#include "render/shader/shader_programs.h"

namespace cog {

ShaderDevice::ShaderDevice(GlDialect dialect, GlProcLoader getProc, std::function<void()> present,
                           TextureFilter filter)
    : dialect_(dialect),
      present_(std::move(present)),
      registry_(std::make_shared<ResourceRegistry>(
          [this](ResourceRegistry::Kind kind, uint32_t name) { forget(kind, name); },
          [](ResourceRegistry::Kind kind, uint32_t name) {
            const GLuint n = name;
            if (kind == ResourceRegistry::Kind::Texture)
              glDeleteTextures(1, &n);
            else
              glDeleteBuffers(1, &n);
          })),
      filter_(filter) {
  setDefaultRenderStates(renderState_);
  for (uint32_t s = 0; s < kStages; ++s) setDefaultStageStates(s, stageState_[s]);
  for (uint32_t s = 0; s < kStages; ++s) appliedStageTexture_[s] = ~0u;

  const char* wanted = dialect == GlDialect::Gles30 ? "OpenGL ES 3.0" : "OpenGL 3.3 core";
  if (!loadGlFunctions(dialect, getProc)) {
    problem_ = std::string("the context offers no ") + wanted + " functions";
    return;
  }
  std::string missing;
  const auto add = [&missing](const std::string& what) { missing += (missing.empty() ? "" : "; ") + what; };
  GLint depthBits = 0, stencilBits = 0;
  // Core and ES contexts report the default framebuffer's bits this way.
  glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH,
                                        GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE, &depthBits);
  glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_STENCIL, GL_FRAMEBUFFER_ATTACHMENT_STENCIL_SIZE,
                                        &stencilBits);
  if (depthBits < 16) add("a depth buffer of at least 16 bits (it has " + std::to_string(depthBits) + ")");
  if (stencilBits < 8) add("8 stencil bits for the mirror (it has " + std::to_string(stencilBits) + ")");
  if (!missing.empty()) {
    problem_ = "the " + std::string(wanted) + " context lacks " + missing;
    return;
  }
  while (glGetError() != GL_NO_ERROR) {
  }
  programs_ = std::make_unique<ProgramCache>(dialect);

  GLint box[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_VIEWPORT, box);
  backBufferWidth_ = static_cast<uint32_t>(std::max(box[2], 0));
  backBufferHeight_ = static_cast<uint32_t>(std::max(box[3], 0));
  viewport_ = Viewport{0, 0, backBufferWidth_, backBufferHeight_, 0.0f, 1.0f};
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize_);

  // The stand-in for "no texture": opaque white.
  const uint8_t white[4] = {255, 255, 255, 255};
  glGenTextures(1, &whiteTexture_);
  glBindTexture(GL_TEXTURE_2D, whiteTexture_);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);

  // Core profiles draw only through a vertex array object; one serves all.
  glGenVertexArrays(1, &vertexArray_);
  glBindVertexArray(vertexArray_);
  for (GLuint a = 0; a < 4; ++a) glEnableVertexAttribArray(a);
  glCullFace(GL_BACK);
  glDisable(GL_SCISSOR_TEST);
  glDisable(GL_DITHER);

  for (uint32_t i = 0; i < kRenderStates; ++i) appliedRenderState_[i] = ~renderState_[i];
  applyRenderStates();
  setWriteMasks();
}

ShaderDevice::~ShaderDevice() {
  registry_->closeDown();
  if (!usable()) return;
  programs_.reset();
  if (whiteTexture_ != 0) glDeleteTextures(1, &whiteTexture_);
  if (vertexArray_ != 0) glDeleteVertexArrays(1, &vertexArray_);
  if (keptFramebuffer_ != 0) glDeleteFramebuffers(1, &keptFramebuffer_);
  if (resolvedFramebuffer_ != 0) glDeleteFramebuffers(1, &resolvedFramebuffer_);
}

uint64_t ShaderDevice::programsCompiled() const { return programs_ ? programs_->compiled() : 0; }

void ShaderDevice::forget(ResourceRegistry::Kind kind, uint32_t name) {
  if (kind == ResourceRegistry::Kind::Texture) {
    for (uint32_t s = 0; s < kStages; ++s) {
      if (stageTexture_[s] == name) stageTexture_[s] = 0;
      if (appliedStageTexture_[s] == name) appliedStageTexture_[s] = ~0u;  // GL unbinds it
    }
  } else if (streamBuffer_ == name) {
    streamBuffer_ = 0;
    streamLength_ = 0;
    streamBounds_ = BoxBounds{};
    streamDirty_ = true;
  }
}

std::unique_ptr<VertexBuffer> ShaderDevice::CreateVertexBuffer(const void* data, uint32_t lengthBytes, uint32_t fvf,
                                                               std::string& error) {
  (void)fvf;  // every mesh has the one layout
  if (!usable()) {
    error = problem_;
    return nullptr;
  }
  if (data == nullptr && lengthBytes != 0) {
    error = "vertex buffer of " + std::to_string(lengthBytes) + " bytes has no data";
    return nullptr;
  }
  while (glGetError() != GL_NO_ERROR) {
  }
  GLuint name = 0;
  glGenBuffers(1, &name);
  glBindBuffer(GL_ARRAY_BUFFER, name);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(lengthBytes), data, GL_STATIC_DRAW);
  const GLenum status = glGetError();
  streamDirty_ = true;  // the array buffer binding moved
  if (name == 0 || status != GL_NO_ERROR) {
    if (name != 0) glDeleteBuffers(1, &name);
    error = "vertex buffer of " + std::to_string(lengthBytes) + " bytes could not be made (GL error " +
            std::to_string(status) + ")";
    return nullptr;
  }
  return std::make_unique<DeviceVertexBuffer>(registry_, name, nextBufferId_++, lengthBytes,
                                              positionBounds(data, lengthBytes));
}

std::unique_ptr<Texture> ShaderDevice::CreateTextureFromFile(const std::string& fileName, std::string& error) {
  if (!usable()) {
    error = problem_;
    return nullptr;
  }
  ImageRgba image;
  if (!loadTextureImage(fileName, maxTextureSize_, prefetch_, image, error)) return nullptr;
  while (glGetError() != GL_NO_ERROR) {
  }
  GLuint name = 0;
  glActiveTexture(GL_TEXTURE0);
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  // Rows go up top first, so v = 0 is the top of the image as in Direct3D.
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, image.width, image.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
               image.pixels.data());
  if (filter_ == TextureFilter::Smooth) {
    glGenerateMipmap(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  } else {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  }
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  const GLenum status = glGetError();
  appliedStageTexture_[0] = ~0u;  // unit 0's binding moved
  if (name == 0 || status != GL_NO_ERROR) {
    if (name != 0) glDeleteTextures(1, &name);
    error = fileName + ": the texture could not be made (GL error " + std::to_string(status) + ")";
    return nullptr;
  }
  return std::make_unique<DeviceTexture>(registry_, name, nextTextureId_++, image.width, image.height);
}

void ShaderDevice::setWriteMasks() {
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glDepthMask(appliedRenderState_[raw(RenderState::ZWriteEnable)] != 0 ? GL_TRUE : GL_FALSE);
  glStencilMask(appliedRenderState_[raw(RenderState::StencilWriteMask)]);
}

void ShaderDevice::Clear(ClearFlags flags, uint32_t color, float z, uint32_t stencil) {
  if (!usable()) return;
  const ClearPlan plan = planClear(flags, color, z, stencil, viewport_, backBufferWidth_, backBufferHeight_);
  if (!plan.any()) return;
  GLbitfield bits = 0;
  if (plan.color) {
    glClearColor(plan.rgba[0], plan.rgba[1], plan.rgba[2], plan.rgba[3]);
    bits |= GL_COLOR_BUFFER_BIT;
  }
  if (plan.depth) {
    setClearDepth(dialect_, plan.z);
    bits |= GL_DEPTH_BUFFER_BIT;
  }
  if (plan.stencil) {
    glClearStencil(plan.stencilValue);
    bits |= GL_STENCIL_BUFFER_BIT;
  }
  // The whole of what it names, whatever the write states, within the
  // viewport (as Direct3D clears without rectangles).
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glDepthMask(GL_TRUE);
  glStencilMask(0xFFFFFFFFu);
  const ClearArea& area = plan.area;
  if (area.whole && scissor_.on()) glDisable(GL_SCISSOR_TEST);
  if (!area.whole) {
    glEnable(GL_SCISSOR_TEST);
    glScissor(static_cast<GLint>(area.x), static_cast<GLint>(area.y), static_cast<GLsizei>(area.width),
              static_cast<GLsizei>(area.height));
  }
  glClear(bits);
  if (!area.whole) glDisable(GL_SCISSOR_TEST);
  scissor_.turnedOff();
  if (plan.stencil) stencilBounds_.cleared(stencil, area.whole);
  setWriteMasks();
}

void ShaderDevice::BeginScene() {}

void ShaderDevice::EndScene() {
  if (usable()) glFlush();
}

int32_t ShaderDevice::Present() {
  if (present_) present_();
  return kOk;
}

void ShaderDevice::SetRenderState(RenderState which, uint32_t value) {
  const uint32_t state = raw(which);
  if (state >= kRenderStates || renderState_[state] == value) return;
  renderState_[state] = value;
  if (which == RenderState::Ambient) ++materialVersion_;
}

void ShaderDevice::SetTextureStageState(uint32_t stage, TextureStageState which, uint32_t value) {
  const uint32_t type = raw(which);
  if (stage < kStages && type < kStageStates) stageState_[stage][type] = value;
}

void ShaderDevice::SetTexture(uint32_t stage, const Texture* texture) {
  if (stage >= kStages) return;
  const auto* own = dynamic_cast<const DeviceTexture*>(texture);
  stageTexture_[stage] = own != nullptr && own->madeBy(registry_.get()) ? own->name() : 0;
}

void ShaderDevice::SetTransform(TransformKind kind, const Matrix4& m) {
  if (kind == TransformKind::World) {
    world_ = m;
  } else if (kind == TransformKind::View) {
    view_ = m;
    ++lightVersion_;  // lights live in world space, the shader in view space
  } else if (kind == TransformKind::Projection) {
    projection_ = m;
  } else {
    return;
  }
  ++transformVersion_;
}

Matrix4 ShaderDevice::GetTransform(TransformKind kind) const {
  if (kind == TransformKind::World) return world_;
  if (kind == TransformKind::View) return view_;
  if (kind == TransformKind::Projection) return projection_;
  return Matrix4::identity();
}

void ShaderDevice::SetViewport(const Viewport& viewport) {
  if (!(viewport == viewport_)) {
    viewport_ = viewport;
    viewportDirty_ = true;
  }
}

Viewport ShaderDevice::GetViewport() const { return viewport_; }

// A texture of the back buffer's size with the framebuffer that draws into it.
std::unique_ptr<DeviceTexture> ShaderDevice::makeFrameTexture(GLsizei width, GLsizei height, uint32_t& framebuffer) {
  GLuint name = 0;
  glActiveTexture(GL_TEXTURE0);
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  GLint internalFormat = GL_RGBA8;
  GLenum format = GL_RGBA;
  frameTextureFormats(dialect_, internalFormat, format);
  glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, width, height, 0, format, GL_UNSIGNED_BYTE, nullptr);
  appliedStageTexture_[0] = ~0u;
  if (framebuffer == 0) glGenFramebuffers(1, &framebuffer);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
  glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, name, 0);
  return std::make_unique<DeviceTexture>(registry_, name, nextTextureId_++, width, height);
}

const Texture* ShaderDevice::KeepFrame() {
  const GLsizei width = static_cast<GLsizei>(backBufferWidth_);
  const GLsizei height = static_cast<GLsizei>(backBufferHeight_);
  if (width <= 0 || height <= 0) return nullptr;
  while (glGetError() != GL_NO_ERROR) {
  }
  GLint drawn = 0, read = 0, sampleBuffers = 0;
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawn);
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read);
  glGetIntegerv(GL_SAMPLE_BUFFERS, &sampleBuffers);
  if (!keptFrame_ || keptFrame_->width() != width || keptFrame_->height() != height) {
    keptFrame_.reset();
    resolvedFrame_.reset();
    keptFrame_ = makeFrameTexture(width, height, keptFramebuffer_);
  }
  // The copies are cut by the scissor like a draw: none.
  if (scissor_.on()) glDisable(GL_SCISSOR_TEST);
  scissor_.turnedOff();
  GLuint source = static_cast<GLuint>(drawn);
  if (sampleBuffers > 0) {
    // A multisampled back buffer is resolved first, as it is: a resolving
    // copy may not turn the rows over.
    if (!resolvedFrame_) resolvedFrame_ = makeFrameTexture(width, height, resolvedFramebuffer_);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, source);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, resolvedFramebuffer_);
    glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    source = resolvedFramebuffer_;
  }
  // Rows top first, as every texture's: the copy turns the frame over,
  // which is also the window's own row order, so the GL may copy rows as
  // they are.
  glBindFramebuffer(GL_READ_FRAMEBUFFER, source);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, keptFramebuffer_);
  glBlitFramebuffer(0, 0, width, height, 0, height, width, 0, GL_COLOR_BUFFER_BIT, GL_NEAREST);
  const GLenum status = glGetError();
  glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(read));
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawn));
  return status == GL_NO_ERROR ? keptFrame_.get() : nullptr;
}

void ShaderDevice::setBackBufferSize(uint32_t width, uint32_t height) {
  backBufferWidth_ = width;
  backBufferHeight_ = height;
  viewport_ = Viewport{0, 0, width, height, 0.0f, 1.0f};
  viewportDirty_ = true;
  if (usable()) applyViewport();
}

void ShaderDevice::SetLight(uint32_t index, const Light& light) {
  if (index >= kLightSlots) return;
  lights_[index].light = light;
  lights_[index].set = true;
  ++lightVersion_;
}

void ShaderDevice::LightEnable(uint32_t index, bool enable) {
  if (index >= kLightSlots) return;
  LightSlot& slot = lights_[index];
  if (enable && !slot.set) {
    slot.light = defaultLight();
    slot.set = true;
  }
  if (slot.enabled != enable) {
    slot.enabled = enable;
    ++lightVersion_;
  }
}

void ShaderDevice::SetMaterial(const Material& material) {
  const Material& m = material_;
  if (m.diffuse == material.diffuse && m.ambient == material.ambient && m.specular == material.specular &&
      m.emissive == material.emissive && m.power == material.power)
    return;
  material_ = material;
  ++materialVersion_;
}

void ShaderDevice::SetStreamSource(uint32_t stream, const VertexBuffer* buffer, uint32_t stride) {
  if (stream != 0) return;
  const auto* found = dynamic_cast<const DeviceVertexBuffer*>(buffer);
  const auto* own = found != nullptr && found->madeBy(registry_.get()) ? found : nullptr;
  const uint32_t name = own != nullptr ? own->name() : 0;
  const uint32_t length = own != nullptr ? own->length() : 0;
  streamBounds_ = own != nullptr ? own->bounds() : BoxBounds{};
  if (name != streamBuffer_ || stride != streamStride_ || length != streamLength_) {
    streamBuffer_ = name;
    streamLength_ = length;
    streamStride_ = stride;
    streamDirty_ = true;
  }
}

void ShaderDevice::SetVertexShader(uint32_t fvf) { vertexFormat_ = fvf; }

}  // namespace cog
