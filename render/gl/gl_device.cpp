#include "render/gl/gl_device.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "platform/image_file.h"

namespace cog {

namespace {

// Direct3D 8 numbers the game does not name itself but whose defaults the
// device keeps.
constexpr uint32_t kAlphaArg2 = 6;  // D3DTSS_ALPHAARG2
constexpr uint32_t kLightSpot = 2;
constexpr uint32_t kLightDirectional = 3;

// Vertex layout of kMeshFvf.
constexpr uintptr_t kNormalOffset = 12;
constexpr uintptr_t kTex0Offset = 24;
constexpr uintptr_t kTex1Offset = 32;

const void* offsetPtr(uintptr_t offset) { return reinterpret_cast<const void*>(offset); }

GLenum blendFactor(uint32_t d3d) {
  switch (d3d) {
    case D3DBLEND_ZERO: return GL_ZERO;
    case D3DBLEND_ONE: return GL_ONE;
    case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case 7: return GL_DST_ALPHA;            // D3DBLEND_DESTALPHA
    case 8: return GL_ONE_MINUS_DST_ALPHA;  // D3DBLEND_INVDESTALPHA
    case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
    case 10: return GL_ONE_MINUS_DST_COLOR;  // D3DBLEND_INVDESTCOLOR
    case 11: return GL_SRC_ALPHA_SATURATE;   // D3DBLEND_SRCALPHASAT
    default: return GL_ONE;
  }
}

GLenum compareFunc(uint32_t d3d) {
  // D3DCMP_NEVER (1) .. D3DCMP_ALWAYS (8) are in the same order as GL's.
  if (d3d >= 1 && d3d <= 8) return GL_NEVER + (d3d - 1);
  return GL_ALWAYS;
}

GLenum stencilOp(uint32_t d3d) {
  switch (d3d) {
    case D3DSTENCILOP_KEEP: return GL_KEEP;
    case 2: return GL_ZERO;
    case D3DSTENCILOP_REPLACE: return GL_REPLACE;
    case 4: return GL_INCR;       // D3DSTENCILOP_INCRSAT
    case 5: return GL_DECR;       // D3DSTENCILOP_DECRSAT
    case 6: return GL_INVERT;
    case 7: return GL_INCR_WRAP;  // D3DSTENCILOP_INCR
    case 8: return GL_DECR_WRAP;  // D3DSTENCILOP_DECR
    default: return GL_KEEP;
  }
}

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

class GlTexture : public Texture {
 public:
  GlTexture(std::weak_ptr<GlDevice::Registry> registry, GLuint name, uint32_t id, int width, int height)
      : registry_(std::move(registry)), name_(name), id_(id), width_(width), height_(height) {}
  ~GlTexture() override {
    if (auto r = registry_.lock(); r && r->device) r->device->forgetTexture(name_);
    glDeleteTextures(1, &name_);
  }
  uint32_t id() const override { return id_; }
  int width() const override { return width_; }
  int height() const override { return height_; }
  GLuint name() const { return name_; }

 private:
  std::weak_ptr<GlDevice::Registry> registry_;
  GLuint name_;
  uint32_t id_;
  int width_;
  int height_;
};

class GlVertexBuffer : public VertexBuffer {
 public:
  GlVertexBuffer(std::weak_ptr<GlDevice::Registry> registry, GLuint name, uint32_t id, uint32_t length,
                 const GlDevice::Bounds& bounds)
      : registry_(std::move(registry)), name_(name), id_(id), length_(length), bounds_(bounds) {}
  ~GlVertexBuffer() override {
    if (auto r = registry_.lock(); r && r->device) r->device->forgetBuffer(name_);
    glDeleteBuffers(1, &name_);
  }
  uint32_t id() const override { return id_; }
  uint32_t length() const override { return length_; }
  GLuint name() const { return name_; }
  const GlDevice::Bounds& bounds() const { return bounds_; }

 private:
  std::weak_ptr<GlDevice::Registry> registry_;
  GLuint name_;
  uint32_t id_;
  uint32_t length_;
  GlDevice::Bounds bounds_;
};

// The box around the positions of whole 40-byte vertices.
GlDevice::Bounds positionBounds(const void* data, uint32_t lengthBytes) {
  GlDevice::Bounds b;
  const auto* bytes = static_cast<const uint8_t*>(data);
  for (uint32_t at = 0; bytes != nullptr && at + kMeshVertexStride <= lengthBytes; at += kMeshVertexStride) {
    float p[3];
    std::memcpy(p, bytes + at, sizeof p);
    for (int i = 0; i < 3; ++i) {
      if (!b.valid || p[i] < b.min[i]) b.min[i] = p[i];
      if (!b.valid || p[i] > b.max[i]) b.max[i] = p[i];
    }
    b.valid = true;
  }
  return b;
}

// Whether any point of `box` (object space, placed by `world`) is within
// `range` of `at`.
bool withinReach(const GlDevice::Bounds& box, const Matrix4& world, const Vec3& at, float range) {
  float lo[3] = {}, hi[3] = {};  // set by the first corner
  for (int c = 0; c < 8; ++c) {
    const float x = (c & 1) ? box.max[0] : box.min[0];
    const float y = (c & 2) ? box.max[1] : box.min[1];
    const float z = (c & 4) ? box.max[2] : box.min[2];
    for (int i = 0; i < 3; ++i) {
      const float w = x * world.m[0][i] + y * world.m[1][i] + z * world.m[2][i] + world.m[3][i];
      if (c == 0 || w < lo[i]) lo[i] = w;
      if (c == 0 || w > hi[i]) hi[i] = w;
    }
  }
  const float p[3] = {at.x, at.y, at.z};
  double d2 = 0.0;
  for (int i = 0; i < 3; ++i) {
    const double d = p[i] < lo[i] ? lo[i] - p[i] : (p[i] > hi[i] ? p[i] - hi[i] : 0.0);
    d2 += d * d;
  }
  return d2 <= static_cast<double>(range) * range;
}

// The pixels that `box` (object space) can cover on screen under
// world * view * projection and the viewport, one pixel wider all round;
// the whole viewport when part of the box is behind the eye.
PixelRect screenRect(const GlDevice::Bounds& box, const Matrix4& worldViewProjection, const Viewport& vp,
                     uint32_t backBufferHeight) {
  const int vx0 = static_cast<int>(vp.x);
  const int vy0 = static_cast<int>(int64_t{backBufferHeight} - vp.y - vp.height);
  const PixelRect whole{vx0, vy0, vx0 + static_cast<int>(vp.width), vy0 + static_cast<int>(vp.height)};
  if (!box.valid) return whole;
  float lo[2] = {0.0f, 0.0f}, hi[2] = {0.0f, 0.0f};
  const Matrix4& m = worldViewProjection;
  for (int c = 0; c < 8; ++c) {
    const float p[3] = {(c & 1) ? box.max[0] : box.min[0], (c & 2) ? box.max[1] : box.min[1],
                        (c & 4) ? box.max[2] : box.min[2]};
    float clip[4];
    for (int i = 0; i < 4; ++i) clip[i] = p[0] * m.m[0][i] + p[1] * m.m[1][i] + p[2] * m.m[2][i] + m.m[3][i];
    if (!(clip[3] > 1e-6f)) return whole;
    for (int i = 0; i < 2; ++i) {
      const float ndc = clip[i] / clip[3];
      if (c == 0 || ndc < lo[i]) lo[i] = ndc;
      if (c == 0 || ndc > hi[i]) hi[i] = ndc;
    }
  }
  const auto toPixel = [](float ndc, int origin, uint32_t size) {
    const double at = origin + (std::clamp(static_cast<double>(ndc), -2.0, 2.0) + 1.0) * 0.5 * size;
    return at;
  };
  PixelRect r{static_cast<int>(std::floor(toPixel(lo[0], vx0, vp.width))) - 1,
              static_cast<int>(std::floor(toPixel(lo[1], vy0, vp.height))) - 1,
              static_cast<int>(std::ceil(toPixel(hi[0], vx0, vp.width))) + 1,
              static_cast<int>(std::ceil(toPixel(hi[1], vy0, vp.height))) + 1};
  r.x0 = std::max(r.x0, whole.x0);
  r.y0 = std::max(r.y0, whole.y0);
  r.x1 = std::min(r.x1, whole.x1);
  r.y1 = std::min(r.y1, whole.y1);
  return r;
}

// The device's defaults for every state it translates.
void setDefaultRenderStates(uint32_t rs[GlDevice::kRenderStates]) {
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

void setDefaultStageStates(uint32_t stage, uint32_t ts[GlDevice::kStageStates]) {
  ts[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
  ts[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
  ts[D3DTSS_COLORARG2] = D3DTA_CURRENT;
  ts[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
  ts[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
  ts[kAlphaArg2] = D3DTA_CURRENT;
}

GLenum combineSource(uint32_t stage, uint32_t arg) {
  switch (arg & 0x0Fu) {  // the modifier bits (complement, alpha replicate) are not used
    case D3DTA_TEXTURE: return GL_TEXTURE;
    case D3DTA_DIFFUSE: return GL_PRIMARY_COLOR;
    case D3DTA_CURRENT: return stage == 0 ? GL_PRIMARY_COLOR : GL_PREVIOUS;  // stage 0: the diffuse
    default: return GL_PREVIOUS;
  }
}

// One half (colour or alpha) of a stage as a GL_COMBINE function. A
// disabled alpha half on a stage whose colour runs passes the alpha on.
void setCombine(uint32_t stage, bool alpha, uint32_t op, uint32_t arg1, uint32_t arg2) {
  const GLenum combine = alpha ? GL_COMBINE_ALPHA : GL_COMBINE_RGB;
  const GLenum src0 = alpha ? GL_SRC0_ALPHA : GL_SRC0_RGB;
  const GLenum src1 = alpha ? GL_SRC1_ALPHA : GL_SRC1_RGB;
  const GLenum operand0 = alpha ? GL_OPERAND0_ALPHA : GL_OPERAND0_RGB;
  const GLenum operand1 = alpha ? GL_OPERAND1_ALPHA : GL_OPERAND1_RGB;
  const GLint operand = alpha ? GL_SRC_ALPHA : GL_SRC_COLOR;
  glTexEnvi(GL_TEXTURE_ENV, operand0, operand);
  glTexEnvi(GL_TEXTURE_ENV, operand1, operand);
  if (op == D3DTOP_SELECTARG1) {
    glTexEnvi(GL_TEXTURE_ENV, combine, GL_REPLACE);
    glTexEnvi(GL_TEXTURE_ENV, src0, static_cast<GLint>(combineSource(stage, arg1)));
  } else if (op == D3DTOP_DISABLE) {
    glTexEnvi(GL_TEXTURE_ENV, combine, GL_REPLACE);
    glTexEnvi(GL_TEXTURE_ENV, src0, static_cast<GLint>(combineSource(stage, D3DTA_CURRENT)));
  } else {
    // MODULATE, and what the game never sets.
    glTexEnvi(GL_TEXTURE_ENV, combine, GL_MODULATE);
    glTexEnvi(GL_TEXTURE_ENV, src0, static_cast<GLint>(combineSource(stage, arg1)));
    glTexEnvi(GL_TEXTURE_ENV, src1, static_cast<GLint>(combineSource(stage, arg2)));
  }
}

}  // namespace

GlDevice::GlDevice(std::function<void()> present, TextureFilter filter)
    : present_(std::move(present)), registry_(std::make_shared<Registry>()), filter_(filter) {
  registry_->device = this;
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
  registry_->device = nullptr;
  if (whiteTexture_ != 0) glDeleteTextures(1, &whiteTexture_);
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
    streamBounds_ = Bounds{};
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
  return std::make_unique<GlVertexBuffer>(registry_, name, nextBufferId_++, lengthBytes,
                                          positionBounds(data, lengthBytes));
}

std::unique_ptr<Texture> GlDevice::CreateTextureFromFile(const std::string& fileName, std::string& error) {
  ImageRgba image;
  if (!loadImageFile(fileName, image, error)) return nullptr;
  if (image.width > maxTextureSize_ || image.height > maxTextureSize_) {
    error = fileName + ": " + std::to_string(image.width) + "x" + std::to_string(image.height) +
            " is larger than this GL's largest texture (" + std::to_string(maxTextureSize_) + ")";
    return nullptr;
  }
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
  return std::make_unique<GlTexture>(registry_, name, nextTextureId_++, image.width, image.height);
}

void GlDevice::setDepthAndStencilMasks() {
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glDepthMask(appliedRenderState_[D3DRS_ZWRITEENABLE] != 0 ? GL_TRUE : GL_FALSE);
  glStencilMask(appliedRenderState_[D3DRS_STENCILWRITEMASK]);
}

void GlDevice::Clear(uint32_t flags, uint32_t color, float z, uint32_t stencil) {
  GLbitfield bits = 0;
  if (flags & D3DCLEAR_TARGET) {
    glClearColor(static_cast<float>((color >> 16) & 0xFF) / 255.0f, static_cast<float>((color >> 8) & 0xFF) / 255.0f,
                 static_cast<float>(color & 0xFF) / 255.0f, static_cast<float>(color >> 24) / 255.0f);
    bits |= GL_COLOR_BUFFER_BIT;
  }
  if (flags & D3DCLEAR_ZBUFFER) {
    glClearDepth(std::clamp(static_cast<double>(z), 0.0, 1.0));
    bits |= GL_DEPTH_BUFFER_BIT;
  }
  if (flags & D3DCLEAR_STENCIL) {
    glClearStencil(static_cast<GLint>(stencil & 0xFFu));
    bits |= GL_STENCIL_BUFFER_BIT;
  }
  if (bits == 0) return;
  // A clear writes the whole of what it names, whatever the write states,
  // within the viewport (as Direct3D clears without rectangles).
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glDepthMask(GL_TRUE);
  glStencilMask(0xFFFFFFFFu);
  const bool whole = viewport_.x == 0 && viewport_.y == 0 && viewport_.width >= backBufferWidth_ &&
                     viewport_.height >= backBufferHeight_;
  if (whole && scissorOn_) glDisable(GL_SCISSOR_TEST);
  if (!whole) {
    glEnable(GL_SCISSOR_TEST);
    glScissor(static_cast<GLint>(viewport_.x),
              static_cast<GLint>(int64_t{backBufferHeight_} - viewport_.y - viewport_.height),
              static_cast<GLsizei>(viewport_.width), static_cast<GLsizei>(viewport_.height));
  }
  glClear(bits);
  if (!whole) glDisable(GL_SCISSOR_TEST);
  scissorOn_ = false;
  if (flags & D3DCLEAR_STENCIL) stencilBounds_.cleared(stencil, whole);
  setDepthAndStencilMasks();
}

void GlDevice::BeginScene() {}

void GlDevice::EndScene() { glFlush(); }

int32_t GlDevice::Present() {
  if (present_) present_();
  return kOk;
}

void GlDevice::SetRenderState(uint32_t state, uint32_t value) {
  if (state < kRenderStates) renderState_[state] = value;
}

void GlDevice::SetTextureStageState(uint32_t stage, uint32_t type, uint32_t value) {
  if (stage >= kStages || type >= kStageStates) return;
  if (stageState_[stage][type] != value) {
    stageState_[stage][type] = value;
    stagesDirty_ = true;
  }
}

void GlDevice::SetTexture(uint32_t stage, const Texture* texture) {
  if (stage >= kStages) return;
  // Only this device's textures can be bound; anything else counts as none.
  const auto* own = dynamic_cast<const GlTexture*>(texture);
  const uint32_t name = own != nullptr ? own->name() : 0;
  if (stageTexture_[stage].texture != name) {
    stageTexture_[stage].texture = name;
    stagesDirty_ = true;
  }
}

void GlDevice::SetTransform(uint32_t kind, const Matrix4& m) {
  if (kind == D3DTS_WORLD) {
    world_ = m;
    modelViewDirty_ = true;
  } else if (kind == D3DTS_VIEW) {
    view_ = m;
    modelViewDirty_ = true;
    lightPositionsDirty_ = true;  // lights live in world space
  } else if (kind == D3DTS_PROJECTION) {
    projection_ = m;
    projectionDirty_ = true;
  }
}

Matrix4 GlDevice::GetTransform(uint32_t kind) const {
  if (kind == D3DTS_WORLD) return world_;
  if (kind == D3DTS_VIEW) return view_;
  if (kind == D3DTS_PROJECTION) return projection_;
  return Matrix4::identity();
}

void GlDevice::SetViewport(const Viewport& viewport) {
  if (!(viewport == viewport_)) {
    viewport_ = viewport;
    viewportDirty_ = true;
  }
}

Viewport GlDevice::GetViewport() const { return viewport_; }

void GlDevice::setBackBufferSize(uint32_t width, uint32_t height) {
  backBufferWidth_ = width;
  backBufferHeight_ = height;
  // A new back buffer starts with the whole of it as the viewport.
  viewport_ = Viewport{0, 0, width, height, 0.0f, 1.0f};
  viewportDirty_ = true;
  applyViewport();
}

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
  const uint32_t* rs = renderState_;
  StencilStates states;
  states.enabled = rs[D3DRS_STENCILENABLE] != 0;
  states.func = rs[D3DRS_STENCILFUNC];
  states.ref = rs[D3DRS_STENCILREF];
  states.mask = rs[D3DRS_STENCILMASK];
  states.writeMask = rs[D3DRS_STENCILWRITEMASK];
  states.failOp = rs[D3DRS_STENCILFAIL];
  states.zFailOp = rs[D3DRS_STENCILZFAIL];
  states.passOp = rs[D3DRS_STENCILPASS];
  const StencilBounds::Decision d = stencilBounds_.beforeDraw(states, [this] {
    return screenRect(streamBounds_, matrixMultiply(matrixMultiply(world_, view_), projection_), viewport_,
                      backBufferHeight_);
  });
  if (d.skip) return false;
  if (d.scissor) {
    if (!scissorOn_) glEnable(GL_SCISSOR_TEST);
    const PixelRect& r = d.rect;
    if (!scissorOn_ || r.x0 != scissor_.x0 || r.y0 != scissor_.y0 || r.x1 != scissor_.x1 || r.y1 != scissor_.y1)
      glScissor(r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0);
    scissor_ = r;
    scissorOn_ = true;
  } else if (scissorOn_) {
    glDisable(GL_SCISSOR_TEST);
    scissorOn_ = false;
  }
  return true;
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
    // Enabling a light never set gives Direct3D's default: white,
    // directional, pointing along +z.
    slot.light = Light{};
    slot.light.type = kLightDirectional;
    slot.light.diffuse = ColorValue{1.0f, 1.0f, 1.0f, 0.0f};
    slot.light.direction = Vec3(0.0f, 0.0f, 1.0f);
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
  const auto* own = dynamic_cast<const GlVertexBuffer*>(buffer);
  const uint32_t name = own != nullptr ? own->name() : 0;
  const uint32_t length = own != nullptr ? own->length() : 0;
  streamBounds_ = own != nullptr ? own->bounds() : Bounds{};
  if (name != streamBuffer_ || stride != streamStride_ || length != streamLength_) {
    streamBuffer_ = name;
    streamLength_ = length;
    streamStride_ = stride;
    streamDirty_ = true;
  }
}

void GlDevice::SetVertexShader(uint32_t fvf) { vertexFormat_ = fvf; }

void GlDevice::applyRenderStates() {
  const uint32_t* rs = renderState_;
  uint32_t* done = appliedRenderState_;
  const auto changed = [&](uint32_t s) { return rs[s] != done[s]; };

  if (changed(D3DRS_ZENABLE)) setEnabled(GL_DEPTH_TEST, rs[D3DRS_ZENABLE] != 0);
  if (changed(D3DRS_ZWRITEENABLE)) glDepthMask(rs[D3DRS_ZWRITEENABLE] != 0 ? GL_TRUE : GL_FALSE);
  if (changed(D3DRS_ZFUNC)) glDepthFunc(compareFunc(rs[D3DRS_ZFUNC]));
  if (changed(D3DRS_ALPHABLENDENABLE)) setEnabled(GL_BLEND, rs[D3DRS_ALPHABLENDENABLE] != 0);
  if (changed(D3DRS_SRCBLEND) || changed(D3DRS_DESTBLEND))
    glBlendFunc(blendFactor(rs[D3DRS_SRCBLEND]), blendFactor(rs[D3DRS_DESTBLEND]));
  if (changed(D3DRS_CULLMODE)) {
    // Direct3D culls by the winding seen on screen: CCW culls
    // counter-clockwise triangles, so clockwise ones are GL's front faces.
    const uint32_t cull = rs[D3DRS_CULLMODE];
    setEnabled(GL_CULL_FACE, cull == D3DCULL_CW || cull == D3DCULL_CCW);
    if (cull == D3DCULL_CCW) glFrontFace(GL_CW);
    if (cull == D3DCULL_CW) glFrontFace(GL_CCW);
  }
  if (changed(D3DRS_STENCILENABLE)) setEnabled(GL_STENCIL_TEST, rs[D3DRS_STENCILENABLE] != 0);
  if (changed(D3DRS_STENCILFUNC) || changed(D3DRS_STENCILREF) || changed(D3DRS_STENCILMASK))
    glStencilFunc(compareFunc(rs[D3DRS_STENCILFUNC]), static_cast<GLint>(rs[D3DRS_STENCILREF] & 0xFFu),
                  rs[D3DRS_STENCILMASK]);
  if (changed(D3DRS_STENCILFAIL) || changed(D3DRS_STENCILZFAIL) || changed(D3DRS_STENCILPASS))
    glStencilOp(stencilOp(rs[D3DRS_STENCILFAIL]), stencilOp(rs[D3DRS_STENCILZFAIL]),
                stencilOp(rs[D3DRS_STENCILPASS]));
  if (changed(D3DRS_STENCILWRITEMASK)) glStencilMask(rs[D3DRS_STENCILWRITEMASK]);
  if (changed(D3DRS_AMBIENT)) {
    const uint32_t c = rs[D3DRS_AMBIENT];
    const GLfloat ambient[4] = {static_cast<float>((c >> 16) & 0xFF) / 255.0f,
                                static_cast<float>((c >> 8) & 0xFF) / 255.0f, static_cast<float>(c & 0xFF) / 255.0f,
                                static_cast<float>(c >> 24) / 255.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
  }
  if (changed(D3DRS_MULTISAMPLEANTIALIAS)) setEnabled(GL_MULTISAMPLE, rs[D3DRS_MULTISAMPLEANTIALIAS] != 0);
  std::memcpy(done, rs, sizeof renderState_);
}

void GlDevice::applyStages() {
  if (!stagesDirty_) return;
  // A disabled colour operation switches off its stage and every later one.
  bool active = true;
  for (uint32_t s = 0; s < kStages; ++s) {
    const uint32_t* ts = stageState_[s];
    active = active && ts[D3DTSS_COLOROP] != D3DTOP_DISABLE;
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
      setCombine(s, false, ts[D3DTSS_COLOROP], ts[D3DTSS_COLORARG1], ts[D3DTSS_COLORARG2]);
      setCombine(s, true, ts[D3DTSS_ALPHAOP], ts[D3DTSS_ALPHAARG1], ts[kAlphaArg2]);
      std::memcpy(appliedStageState_[s], ts, sizeof stageState_[s]);
      appliedCombineValid_[s] = true;
    }
  }
  glActiveTexture(GL_TEXTURE0);
  stagesDirty_ = false;
}

bool GlDevice::stagesReadDiffuse() const {
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
    const uint32_t* ts = stageState_[s];
    if (ts[D3DTSS_COLOROP] == D3DTOP_DISABLE) return s == 0;
    if (halfReads(s, ts[D3DTSS_COLOROP], ts[D3DTSS_COLORARG1], ts[D3DTSS_COLORARG2]) ||
        halfReads(s, ts[D3DTSS_ALPHAOP], ts[D3DTSS_ALPHAARG1], ts[kAlphaArg2]))
      return true;
  }
  return false;
}

void GlDevice::applyLights() {
  // Lighting only makes the diffuse colour: when no stage reads it (every
  // textured room and prop), GL need not light the vertices at all.
  const bool lit = renderState_[D3DRS_LIGHTING] != 0 && stagesReadDiffuse();
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
      const bool directional = l.type == kLightDirectional;
      glLightf(id, GL_CONSTANT_ATTENUATION, directional ? 1.0f : l.attenuation0);
      glLightf(id, GL_LINEAR_ATTENUATION, directional ? 0.0f : l.attenuation1);
      glLightf(id, GL_QUADRATIC_ATTENUATION, directional ? 0.0f : l.attenuation2);
      if (l.type == kLightSpot) {
        glLightf(id, GL_SPOT_CUTOFF, std::clamp(l.phi * 0.5f * 57.29578f, 0.0f, 90.0f));
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
      if (l.type == kLightDirectional) {
        const GLfloat towards[4] = {-l.direction.x, -l.direction.y, -l.direction.z, 0.0f};
        glLightfv(id, GL_POSITION, towards);
      } else {
        const GLfloat at[4] = {l.position.x, l.position.y, l.position.z, 1.0f};
        glLightfv(id, GL_POSITION, at);
        if (l.type == kLightSpot) {
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
    if (on && slot.light.type != kLightDirectional && streamBounds_.valid)
      on = withinReach(streamBounds_, world_, slot.light.position, slot.light.range);
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

void GlDevice::DrawPrimitive(uint32_t type, uint32_t startVertex, uint32_t primitiveCount) {
  uint64_t vertices = 0;
  GLenum mode = GL_TRIANGLES;
  if (type == D3DPT_TRIANGLELIST) {
    vertices = uint64_t{primitiveCount} * 3;
  } else if (type == D3DPT_TRIANGLESTRIP) {
    vertices = uint64_t{primitiveCount} + 2;
    mode = GL_TRIANGLE_STRIP;
  }
  // Nothing to draw, no usable stream, or a range past the buffer's end:
  // skip the draw rather than read what is not there.
  const bool layoutKnown = vertexFormat_ == kMeshFvf && streamStride_ >= kMeshVertexStride;
  const uint64_t end = (uint64_t{startVertex} + vertices - 1) * streamStride_ + kMeshVertexStride;
  if (primitiveCount == 0 || vertices == 0 || streamBuffer_ == 0 || !layoutKnown || end > streamLength_) {
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
}

}  // namespace cog
