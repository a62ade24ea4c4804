// The GL device: construction, resource creation, clears, the frame, and the state setters.
#include "render/gl/gl_device.h"

#include "render/gpu/draw_bounds.h"
#include <algorithm>
#include <cstring>
#include <utility>

#include "render/gl/gl_tables.h"

namespace cog {

GlDevice::GlDevice(std::function<void()> present, TextureFilter filter)
    : present_(std::move(present)),
      registry_(std::make_shared<ResourceRegistry>(
          [this](ResourceRegistry::Kind kind, uint32_t name) {
            if (kind == ResourceRegistry::Kind::Texture)
              forgetTexture(name);
            else
              forgetBuffer(name);
          },
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

  GLint major = 0, minor = 0;
  glGetIntegerv(GL_MAJOR_VERSION, &major);
  glGetIntegerv(GL_MINOR_VERSION, &minor);
  if (major > 4 || (major == 4 && minor >= 5)) {
    // The game's projection maps depth to 0..1, as Direct3D does.
    glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
  } else {
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    problem_ = std::string("OpenGL 4.5 for 0..1 depth (clip control; this context is ") +
               (version != nullptr ? version : "not current") + ")";
  }
  noteMissingParts();

  // The viewport starts as the whole back buffer, as GL's does.
  GLint box[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_VIEWPORT, box);
  backBufferWidth_ = static_cast<uint32_t>(std::max(box[2], 0));
  backBufferHeight_ = static_cast<uint32_t>(std::max(box[3], 0));
  viewport_ = Viewport{0, 0, backBufferWidth_, backBufferHeight_, 0.0f, 1.0f};

  GLint maxLights = 8;
  glGetIntegerv(GL_MAX_LIGHTS, &maxLights);
  lights_.resize(static_cast<size_t>(std::max(maxLights, 1)));
  appliedLightOn_.assign(lights_.size(), -1);
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize_);

  // The stand-in for "no texture": opaque white.
  const uint8_t white[4] = {255, 255, 255, 255};
  glGenTextures(1, &whiteTexture_);
  glBindTexture(GL_TEXTURE_2D, whiteTexture_);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);

  // Fixed set-up: vertices from client arrays of the bound buffer, unlit
  // colour white, lighting as Direct3D does it (local viewer, one side).
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_NORMAL_ARRAY);
  for (uint32_t s = 0; s < kStages; ++s) {
    glClientActiveTexture(GL_TEXTURE0 + s);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glActiveTexture(GL_TEXTURE0 + s);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
  }
  glClientActiveTexture(GL_TEXTURE0);
  glActiveTexture(GL_TEXTURE0);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, GL_TRUE);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_FALSE);
  glDisable(GL_COLOR_MATERIAL);
  glDisable(GL_NORMALIZE);
  glCullFace(GL_BACK);
  glDisable(GL_SCISSOR_TEST);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_DITHER);

  // Every translated state starts "unknown", so the first draw sets it all.
  for (uint32_t i = 0; i < kRenderStates; ++i) appliedRenderState_[i] = ~renderState_[i];
  applyRenderStates();
  setDepthAndStencilMasks();
}

GlDevice::~GlDevice() {
  // The context is current now: free what is still alive, so that a
  // texture or buffer kept past this point never calls GL.
  registry_->closeDown();
  if (whiteTexture_ != 0) glDeleteTextures(1, &whiteTexture_);
  if (keptFramebuffer_ != 0) glDeleteFramebuffers(1, &keptFramebuffer_);
  if (resolvedFramebuffer_ != 0) glDeleteFramebuffers(1, &resolvedFramebuffer_);
}

void GlDevice::forgetTexture(uint32_t glName) {
  for (uint32_t s = 0; s < kStages; ++s) {
    if (stageTexture_[s].texture == glName) {
      stageTexture_[s].texture = 0;
      stagesDirty_ = true;
    }
    if (appliedStageTexture_[s].texture == glName) {
      appliedStageTexture_[s].texture = ~0u;  // GL unbinds it: rebind at the next draw
      stagesDirty_ = true;
    }
  }
}

void GlDevice::forgetBuffer(uint32_t glName) {
  if (streamBuffer_ == glName) {
    streamBuffer_ = 0;
    streamLength_ = 0;
    streamBounds_ = BoxBounds{};
    streamDirty_ = true;
  }
}

std::unique_ptr<VertexBuffer> GlDevice::CreateVertexBuffer(const void* data, uint32_t lengthBytes, uint32_t fvf,
                                                           std::string& error) {
  (void)fvf;  // every mesh has the one layout; SetVertexShader names it at draw time
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
  // The stream binding is GL state too: put it back at the next draw.
  streamDirty_ = true;
  if (name == 0 || status != GL_NO_ERROR) {
    if (name != 0) glDeleteBuffers(1, &name);
    error = "vertex buffer of " + std::to_string(lengthBytes) + " bytes could not be made (GL error " +
            std::to_string(status) + ")";
    return nullptr;
  }
  return std::make_unique<DeviceVertexBuffer>(registry_, name, nextBufferId_++, lengthBytes,
                                          positionBounds(data, lengthBytes));
}

std::unique_ptr<Texture> GlDevice::CreateTextureFromFile(const std::string& fileName, std::string& error) {
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
    // Direct3D 8's sampling when the game sets none: the nearest texel of
    // the one full-size level.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  }
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  const GLenum status = glGetError();
  // Unit 0's binding changed behind the state tracking.
  appliedStageTexture_[0].texture = ~0u;
  stagesDirty_ = true;
  if (name == 0 || status != GL_NO_ERROR) {
    if (name != 0) glDeleteTextures(1, &name);
    error = fileName + ": the texture could not be made (GL error " + std::to_string(status) + ")";
    return nullptr;
  }
  return std::make_unique<DeviceTexture>(registry_, name, nextTextureId_++, image.width, image.height);
}

void GlDevice::setDepthAndStencilMasks() {
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glDepthMask(appliedRenderState_[raw(RenderState::ZWriteEnable)] != 0 ? GL_TRUE : GL_FALSE);
  glStencilMask(appliedRenderState_[raw(RenderState::StencilWriteMask)]);
}

void GlDevice::Clear(ClearFlags flags, uint32_t color, float z, uint32_t stencil) {
  const ClearPlan plan = planClear(flags, color, z, stencil, viewport_, backBufferWidth_, backBufferHeight_);
  if (!plan.any()) return;
  GLbitfield bits = 0;
  if (plan.color) {
    glClearColor(plan.rgba[0], plan.rgba[1], plan.rgba[2], plan.rgba[3]);
    bits |= GL_COLOR_BUFFER_BIT;
  }
  if (plan.depth) {
    glClearDepth(static_cast<double>(plan.z));
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
  setDepthAndStencilMasks();
}

void GlDevice::BeginScene() {}

void GlDevice::EndScene() { glFlush(); }

int32_t GlDevice::Present() {
  if (present_) present_();
  return kOk;
}

void GlDevice::SetRenderState(RenderState which, uint32_t value) {
  const uint32_t state = raw(which);
  if (state < kRenderStates) renderState_[state] = value;
}

void GlDevice::SetTextureStageState(uint32_t stage, TextureStageState which, uint32_t value) {
  const uint32_t type = raw(which);
  if (stage >= kStages || type >= kStageStates) return;
  if (stageState_[stage][type] != value) {
    stageState_[stage][type] = value;
    stagesDirty_ = true;
  }
}

void GlDevice::SetTexture(uint32_t stage, const Texture* texture) {
  if (stage >= kStages) return;
  // Only this device's textures can be bound; anything else counts as none.
  const auto* own = dynamic_cast<const DeviceTexture*>(texture);
  const uint32_t name = own != nullptr && own->madeBy(registry_.get()) ? own->name() : 0;
  if (stageTexture_[stage].texture != name) {
    stageTexture_[stage].texture = name;
    stagesDirty_ = true;
  }
}

void GlDevice::SetTransform(TransformKind kind, const Matrix4& m) {
  if (kind == TransformKind::World) {
    world_ = m;
    modelViewDirty_ = true;
  } else if (kind == TransformKind::View) {
    view_ = m;
    modelViewDirty_ = true;
    lightPositionsDirty_ = true;  // lights live in world space
  } else if (kind == TransformKind::Projection) {
    projection_ = m;
    projectionDirty_ = true;
  }
}

Matrix4 GlDevice::GetTransform(TransformKind kind) const {
  if (kind == TransformKind::World) return world_;
  if (kind == TransformKind::View) return view_;
  if (kind == TransformKind::Projection) return projection_;
  return Matrix4::identity();
}

void GlDevice::SetViewport(const Viewport& viewport) {
  if (!(viewport == viewport_)) {
    viewport_ = viewport;
    viewportDirty_ = true;
  }
}

Viewport GlDevice::GetViewport() const { return viewport_; }

// A texture of the back buffer's size with the framebuffer that draws into
// it. Given BGRA (most windows' byte order) and no size, the GL may lay it
// out as the window is, and then copies the window's rows as they are.
std::unique_ptr<DeviceTexture> GlDevice::makeFrameTexture(GLsizei width, GLsizei height, uint32_t& framebuffer) {
  GLuint name = 0;
  glActiveTexture(GL_TEXTURE0);
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
  appliedStageTexture_[0].texture = ~0u;
  stagesDirty_ = true;
  if (framebuffer == 0) glGenFramebuffers(1, &framebuffer);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
  glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, name, 0);
  return std::make_unique<DeviceTexture>(registry_, name, nextTextureId_++, width, height);
}

const Texture* GlDevice::KeepFrame() {
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

void GlDevice::setBackBufferSize(uint32_t width, uint32_t height) {
  backBufferWidth_ = width;
  backBufferHeight_ = height;
  // A new back buffer starts with the whole of it as the viewport.
  viewport_ = Viewport{0, 0, width, height, 0.0f, 1.0f};
  viewportDirty_ = true;
  applyViewport();
}

void GlDevice::noteMissingParts() {
  // What the game's drawing relies on: a depth buffer, 8 stencil bits for
  // the mirror, two texture stages, and the fixed-function pipeline.
  GLint depthBits = 0, stencilBits = 0, units = 0;
  glGetIntegerv(GL_DEPTH_BITS, &depthBits);
  glGetIntegerv(GL_STENCIL_BITS, &stencilBits);
  glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units);
  GLint profile = 0;
  glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
  std::string missing;
  const auto add = [&missing](const std::string& what) { missing += (missing.empty() ? "" : "; ") + what; };
  if (!problem_.empty()) add(problem_);
  if (depthBits < 16) add("a depth buffer of at least 16 bits (it has " + std::to_string(depthBits) + ")");
  if (stencilBits < 8) add("8 stencil bits for the mirror (it has " + std::to_string(stencilBits) + ")");
  if (units < static_cast<GLint>(kStages))
    add("two texture stages (it has " + std::to_string(units) + ")");
  if ((profile & GL_CONTEXT_CORE_PROFILE_BIT) != 0) add("a compatibility profile (it is a core profile)");
  problem_ = missing.empty() ? std::string() : "the OpenGL context lacks " + missing;
}

void GlDevice::SetLight(uint32_t index, const Light& light) {
  if (index >= lights_.size()) return;  // beyond what GL has; never lit
  lights_[index].light = light;
  lights_[index].set = true;
  lightParamsDirty_ = true;
  lightPositionsDirty_ = true;
}

void GlDevice::LightEnable(uint32_t index, bool enable) {
  if (index >= lights_.size()) return;
  LightSlot& slot = lights_[index];
  if (enable && !slot.set) {
    slot.light = defaultLight();  // Direct3D's light for one never set
    slot.set = true;
  }
  if (slot.enabled != enable) {
    slot.enabled = enable;
    lightParamsDirty_ = true;
    lightPositionsDirty_ = true;
  }
}

void GlDevice::SetMaterial(const Material& material) {
  material_ = material;
  materialDirty_ = true;
}

void GlDevice::SetStreamSource(uint32_t stream, const VertexBuffer* buffer, uint32_t stride) {
  if (stream != 0) return;  // the game uses one stream
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

void GlDevice::SetVertexShader(uint32_t fvf) { vertexFormat_ = fvf; }

}  // namespace cog
