#include "render/rec/recording_device.h"

#include <cstdio>
#include <initializer_list>

#include "platform/image_file.h"

namespace cog {

namespace {

class RecordedTexture : public Texture {
 public:
  RecordedTexture(uint32_t id, int width, int height) : id_(id), width_(width), height_(height) {}
  uint32_t id() const override { return id_; }
  int width() const override { return width_; }
  int height() const override { return height_; }

 private:
  uint32_t id_;
  int width_;
  int height_;
};

class RecordedBuffer : public VertexBuffer {
 public:
  RecordedBuffer(uint32_t id, uint32_t length) : id_(id), length_(length) {}
  uint32_t id() const override { return id_; }
  uint32_t length() const override { return length_; }

 private:
  uint32_t id_;
  uint32_t length_;
};

std::string fmtFloat(float f) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.9g", static_cast<double>(f));
  return buf;
}

std::string fmtMatrix(const Matrix4& m) {
  std::string s = "[";
  for (int i = 0; i < 4; ++i) {
    if (i) s += "; ";
    for (int j = 0; j < 4; ++j) {
      if (j) s += " ";
      s += fmtFloat(m.m[i][j]);
    }
  }
  return s + "]";
}

// "(a b c ...)". Appended piece by piece: GCC 12 warns (-Wrestrict) about
// its own inlined copy in "(" + std::string.
std::string fmtList(std::initializer_list<float> values) {
  std::string s = "(";
  for (float v : values) {
    if (s.size() > 1) s += ' ';
    s += fmtFloat(v);
  }
  s += ')';
  return s;
}

std::string fmtColor(const ColorValue& c) { return fmtList({c.r, c.g, c.b, c.a}); }

std::string fmtVec(const Vec3& v) { return fmtList({v.x, v.y, v.z}); }

std::string hex(uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", v);
  return buf;
}

}  // namespace

const char* callKindName(CallKind kind) {
  switch (kind) {
    case CallKind::CreateVertexBuffer: return "CreateVertexBuffer";
    case CallKind::CreateTexture: return "CreateTextureFromFile";
    case CallKind::Clear: return "Clear";
    case CallKind::BeginScene: return "BeginScene";
    case CallKind::EndScene: return "EndScene";
    case CallKind::Present: return "Present";
    case CallKind::SetRenderState: return "SetRenderState";
    case CallKind::SetTextureStageState: return "SetTextureStageState";
    case CallKind::SetTexture: return "SetTexture";
    case CallKind::SetTransform: return "SetTransform";
    case CallKind::GetTransform: return "GetTransform";
    case CallKind::SetLight: return "SetLight";
    case CallKind::LightEnable: return "LightEnable";
    case CallKind::SetMaterial: return "SetMaterial";
    case CallKind::SetStreamSource: return "SetStreamSource";
    case CallKind::SetVertexShader: return "SetVertexShader";
    case CallKind::DrawPrimitive: return "DrawPrimitive";
    case CallKind::SetViewport: return "SetViewport";
    case CallKind::GetViewport: return "GetViewport";
  }
  return "?";
}

std::string describeCall(const RecordedCall& call) {
  const std::string name = callKindName(call.kind);
  const auto n = [](uint32_t v) { return std::to_string(v); };
  switch (call.kind) {
    case CallKind::CreateVertexBuffer:
      return name + "(id " + n(call.a) + ", " + n(call.b) + " bytes, fvf " + hex(call.c) + ")";
    case CallKind::CreateTexture:
      return name + "(id " + n(call.a) + ", " + n(call.b) + "x" + n(call.c) + ")";
    case CallKind::Clear:
      return name + "(" + n(call.a) + ", " + hex(call.b) + ", " + fmtFloat(call.depth) + ", " + n(call.c) + ")";
    case CallKind::BeginScene:
    case CallKind::EndScene:
    case CallKind::Present:
      return name + "()";
    case CallKind::SetRenderState:
      return name + "(" + n(call.a) + ", " + n(call.b) + ")";
    case CallKind::SetTextureStageState:
    case CallKind::SetStreamSource:
    case CallKind::DrawPrimitive:
      return name + "(" + n(call.a) + ", " + n(call.b) + ", " + n(call.c) + ")";
    case CallKind::SetTexture:
      return name + "(" + n(call.a) + ", " + (call.b ? "tex " + n(call.b) : std::string("none")) + ")";
    case CallKind::SetTransform:
    case CallKind::GetTransform:
      return name + "(" + n(call.a) + ", " + fmtMatrix(call.matrix()) + ")";
    case CallKind::SetLight: {
      const Light& l = call.light();
      return name + "(" + n(call.a) + ", type " + n(raw(l.type)) + ", diffuse " + fmtColor(l.diffuse) + ", at " +
             fmtVec(l.position) + ", range " + fmtFloat(l.range) + ", att " + fmtFloat(l.attenuation0) + " " +
             fmtFloat(l.attenuation1) + " " + fmtFloat(l.attenuation2) + ")";
    }
    case CallKind::LightEnable:
      return name + "(" + n(call.a) + ", " + (call.b ? "TRUE" : "FALSE") + ")";
    case CallKind::SetMaterial: {
      const Material& m = call.material();
      return name + "(diffuse " + fmtColor(m.diffuse) + ", ambient " + fmtColor(m.ambient) + ", specular " +
             fmtColor(m.specular) + ", emissive " + fmtColor(m.emissive) + ", power " + fmtFloat(m.power) + ")";
    }
    case CallKind::SetVertexShader:
      return name + "(" + hex(call.a) + ")";
    case CallKind::SetViewport:
    case CallKind::GetViewport: {
      const Viewport& v = call.viewport();
      return name + "(" + n(v.x) + ", " + n(v.y) + ", " + n(v.width) + "x" + n(v.height) + ", z " + fmtFloat(v.minZ) +
             ".." + fmtFloat(v.maxZ) + ")";
    }
  }
  return name;
}

std::string describeCalls(const std::vector<RecordedCall>& calls) {
  std::string s;
  for (size_t i = 0; i < calls.size(); ++i) s += std::to_string(i) + ": " + describeCall(calls[i]) + "\n";
  return s;
}

RecordedCall* RecordingDevice::record(CallKind kind, uint32_t a, uint32_t b, uint32_t c) const {
  if (keep_ == Keep::Nothing) return nullptr;
  RecordedCall* call = &calls_.emplace_back();
  call->kind = kind;
  call->a = a;
  call->b = b;
  call->c = c;
  return call;
}

std::string RecordingDevice::textureFileName(uint32_t id) const {
  if (id == 0 || id > textureNames_.size()) return "";
  return textureNames_[id - 1];
}

std::unique_ptr<VertexBuffer> RecordingDevice::CreateVertexBuffer(const void* data, uint32_t lengthBytes,
                                                                  uint32_t fvf, std::string& error) {
  if (data == nullptr && lengthBytes != 0) {
    error = "vertex buffer of " + std::to_string(lengthBytes) + " bytes has no data";
    return nullptr;
  }
  const uint32_t id = nextBufferId_++;
  record(CallKind::CreateVertexBuffer, id, lengthBytes, fvf);
  return std::make_unique<RecordedBuffer>(id, lengthBytes);
}

std::unique_ptr<Texture> RecordingDevice::CreateTextureFromFile(const std::string& fileName, std::string& error) {
  ImageRgba image;
  if (!decodeImages_) {
    image.width = image.height = 1;
  } else if (!loadImageFile(fileName, image, error)) {
    return nullptr;
  }
  textureNames_.push_back(fileName);
  const auto id = static_cast<uint32_t>(textureNames_.size());
  record(CallKind::CreateTexture, id, static_cast<uint32_t>(image.width), static_cast<uint32_t>(image.height));
  return std::make_unique<RecordedTexture>(id, image.width, image.height);
}

void RecordingDevice::Clear(ClearFlags flags, uint32_t color, float z, uint32_t stencil) {
  if (RecordedCall* call = record(CallKind::Clear, raw(flags), color, stencil)) call->depth = z;
}

void RecordingDevice::BeginScene() {
  if (keep_ == Keep::CurrentFrame && !calls_.empty()) {
    // Keep the frame's own Clear, which comes just before its BeginScene.
    if (calls_.back().kind == CallKind::Clear) {
      RecordedCall clear = calls_.back();
      calls_.clear();
      calls_.push_back(clear);
    } else {
      calls_.clear();
    }
  }
  record(CallKind::BeginScene);
}

void RecordingDevice::EndScene() { record(CallKind::EndScene); }

int32_t RecordingDevice::Present() {
  record(CallKind::Present);
  return kOk;
}

void RecordingDevice::SetRenderState(RenderState state, uint32_t value) {
  record(CallKind::SetRenderState, raw(state), value);
}

void RecordingDevice::SetTextureStageState(uint32_t stage, TextureStageState type, uint32_t value) {
  record(CallKind::SetTextureStageState, stage, raw(type), value);
}

void RecordingDevice::SetTexture(uint32_t stage, const Texture* texture) {
  record(CallKind::SetTexture, stage, texture != nullptr ? texture->id() : 0);
}

void RecordingDevice::SetTransform(TransformKind kind, const Matrix4& m) {
  if (kind == TransformKind::World)
    world_ = m;
  else if (kind == TransformKind::View)
    view_ = m;
  else if (kind == TransformKind::Projection)
    projection_ = m;
  if (RecordedCall* call = record(CallKind::SetTransform, raw(kind))) call->payload = m;
}

Matrix4 RecordingDevice::GetTransform(TransformKind kind) const {
  Matrix4 m = Matrix4::identity();
  if (kind == TransformKind::World)
    m = world_;
  else if (kind == TransformKind::View)
    m = view_;
  else if (kind == TransformKind::Projection)
    m = projection_;
  if (RecordedCall* call = record(CallKind::GetTransform, raw(kind))) call->payload = m;
  return m;
}

void RecordingDevice::SetViewport(const Viewport& viewport) {
  viewport_ = viewport;
  if (RecordedCall* call = record(CallKind::SetViewport)) call->payload = viewport;
}

Viewport RecordingDevice::GetViewport() const {
  if (RecordedCall* call = record(CallKind::GetViewport)) call->payload = viewport_;
  return viewport_;
}

void RecordingDevice::SetLight(uint32_t index, const Light& light) {
  if (RecordedCall* call = record(CallKind::SetLight, index)) call->payload = light;
}

void RecordingDevice::LightEnable(uint32_t index, bool enable) {
  record(CallKind::LightEnable, index, enable ? 1 : 0);
}

void RecordingDevice::SetMaterial(const Material& material) {
  if (RecordedCall* call = record(CallKind::SetMaterial)) call->payload = material;
}

void RecordingDevice::SetStreamSource(uint32_t stream, const VertexBuffer* buffer, uint32_t stride) {
  record(CallKind::SetStreamSource, stream, buffer != nullptr ? buffer->id() : 0, stride);
}

void RecordingDevice::SetVertexShader(uint32_t fvf) { record(CallKind::SetVertexShader, fvf); }

void RecordingDevice::DrawPrimitive(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount) {
  record(CallKind::DrawPrimitive, raw(type), startVertex, primitiveCount);
}

}  // namespace cog
